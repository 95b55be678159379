// The data folder both programs use: which one is chosen, what is made and with which mode, and what is refused.
#include "app/data_folder.h"

#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // A folder others could change the files of is refused before anything in it is read; the sticky bit keeps
    // each file to its owner, so such a folder may be used.
    void foldersOthersCanWrite_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<uid_t>("owner");
        QTest::addColumn<QString>("failure"); // how it starts; empty when the folder is used
        const uid_t me = ::geteuid();
        const QString writable = QStringLiteral("The directory ROOT/given (owner %1, mode %2) can be written by other "
                                                "users, who could replace or redirect the key rings in it. Make it "
                                                "yours alone with: chmod 700 ROOT/given");
        QTest::newRow("0777") << 0777 << me << writable.arg(QString::fromLocal8Bit(getpwuid(me)->pw_name), QStringLiteral("0777"));
        QTest::newRow("0770, the group's too")
            << 0770 << me << writable.arg(QString::fromLocal8Bit(getpwuid(me)->pw_name), QStringLiteral("0770"));
        QTest::newRow("1777, sticky") << 01777 << me << "";
        QTest::newRow("0500, not writable: the writes say why") << 0500 << me << "";
        QTest::newRow("another user's") << 0700 << uid_t(65534) << "The directory ROOT/given belongs to nobody";
    }

    void foldersOthersCanWrite()
    {
        QFETCH(int, mode);
        QFETCH(uid_t, owner);
        QFETCH(QString, failure);
        const QByteArray given = QFile::encodeName(m_root->filePath(QStringLiteral("given")));
        if (owner != ::geteuid() && (::geteuid() != 0 || ::chown(given.constData(), owner, owner) != 0))
            QSKIP("giving a folder away needs root");
        QVERIFY(::chmod(given.constData(), mode_t(mode)) == 0);
        const DataFolder folder = enterDataFolder(m_root->filePath(QStringLiteral("given")), {});
        QVERIFY2(failure.isEmpty() ? folder.failure.isEmpty() : folder.failure.startsWith(rooted(failure)),
                 qPrintable(folder.failure));
        QCOMPARE(QDir::currentPath(), failure.isEmpty() ? folder.path : m_root->path());
    }

    void noHomeNoFolder()
    {
        const DataFolder folder = enterDataFolder({}, {});
        QVERIFY(folder.path.isEmpty());
        QVERIFY2(folder.failure.startsWith(QStringLiteral("HOME is not set")), qPrintable(folder.failure));
        QCOMPARE(QDir::currentPath(), m_root->path());
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
