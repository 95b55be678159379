// The data folder both programs use: which one is chosen, what is made and with which mode, and what is refused.
#include "app/data_folder.h"

#include <QtTest>

#include <sys/stat.h>

using namespace tessary;

class TestDataFolder : public QObject
{
    Q_OBJECT
    QTemporaryDir* m_root = nullptr;
    QString m_start;

    QString rooted(QString text) const { return text.replace(QStringLiteral("ROOT"), m_root->path()); }

    // A folder's permission bits, 0 when there is none.
    static int modeOf(const QString& path)
    {
        struct stat status = {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : 0;
    }

    bool makeOpen(const QString& name) const
    {
        const QByteArray path = QFile::encodeName(m_root->filePath(name));
        return ::mkdir(path.constData(), 0755) == 0 && ::chmod(path.constData(), 0755) == 0;
    }

private slots:
    void init()
    {
        m_start = QDir::currentPath();
        m_root = new QTemporaryDir;
        // A given folder and a folder made earlier with the usual mode, which is left as it is; a file in the way.
        QVERIFY(makeOpen(QStringLiteral("given")));
        QVERIFY(makeOpen(QStringLiteral("open")));
        QFile file(m_root->filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QDir::setCurrent(m_root->path()));
    }

    void cleanup()
    {
        QDir::setCurrent(m_start);
        delete m_root;
    }

    void enter_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("tessaryData");
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("failure");
        QTest::newRow("--dir before all") << "ROOT/given" << "ROOT/env" << "ROOT/xdg" << "ROOT/given" << 0755 << "";
        QTest::newRow("relative --dir") << "given/../given/" << "" << "" << "ROOT/given" << 0755 << "";
        QTest::newRow("TESSARY_DATA next") << "" << "ROOT/env" << "ROOT/xdg" << "ROOT/env" << 0700 << "";
        QTest::newRow("relative TESSARY_DATA") << "" << "env" << "" << "ROOT/env" << 0700 << "";
        QTest::newRow("XDG_DATA_HOME") << "" << "" << "ROOT/xdg" << "ROOT/xdg/Tessary" << 0700 << "";
        QTest::newRow("HOME, every folder made") << "" << "" << "" << "ROOT/home/.local/share/Tessary" << 0700 << "";
        QTest::newRow("relative XDG_DATA_HOME ignored")
            << "" << "" << "xdg" << "ROOT/home/.local/share/Tessary" << 0700 << "";
        QTest::newRow("existing folder kept") << "" << "ROOT/open" << "" << "ROOT/open" << 0755 << "";
        QTest::newRow("--dir never made")
            << "ROOT/missing" << "ROOT/env" << "" << "ROOT/missing" << 0 << "There is no directory ROOT/missing.";
        QTest::newRow("file in the way")
            << "" << "ROOT/file/sub" << "" << "ROOT/file/sub" << 0
            << "The directory ROOT/file/sub cannot be made: File exists.";
    }

    void enter()
    {
        QFETCH(QString, given);
        QFETCH(QString, tessaryData);
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, expected);
        QFETCH(int, mode);
        QFETCH(QString, failure);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), rooted(QStringLiteral("ROOT/home")));
        if (!tessaryData.isEmpty())
            environment.insert(QStringLiteral("TESSARY_DATA"), rooted(tessaryData));
        if (!xdgDataHome.isEmpty())
            environment.insert(QStringLiteral("XDG_DATA_HOME"), rooted(xdgDataHome));

        const DataFolder folder = enterDataFolder(rooted(given), environment);
        QCOMPARE(folder.path, rooted(expected));
        QCOMPARE(folder.failure, rooted(failure));
        QCOMPARE(QDir::currentPath(), failure.isEmpty() ? folder.path : m_root->path());
        QCOMPARE(modeOf(folder.path), mode);
        if (expected.contains(QStringLiteral("/home/")))
            QCOMPARE(modeOf(rooted(QStringLiteral("ROOT/home/.local"))), 0700);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
