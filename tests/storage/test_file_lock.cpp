// Who may take a key ring's lock: only a live holder on this machine keeps it; every refusal says the real reason.
#include "app/session.h"
#include "small_disk.h"
#include "storage/file_lock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace tessary;

namespace {

QByteArray lockText(qint64 pid, const QString& host)
{
    return QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n' + host.toUtf8() +
           '\n';
}

// A process id that surely names no process: one that ran and was reaped.
qint64 deadPid()
{
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForFinished();
    return process.processId() > 0 ? process.processId() : 0x3FFFFF;
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A lock file with this text, last changed `ageSeconds` ago.
bool writeLock(const QString& path, const QByteArray& text, qint64 ageSeconds)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush() &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
}

} // namespace

class TestFileLock : public QObject
{
    Q_OBJECT

private slots:
    void leftLocks_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("ageSeconds");
        QTest::addColumn<bool>("takenOver");
        const QString host = QSysInfo::machineHostName();
        QTest::newRow("empty, left by a killed writer") << QByteArray() << qint64(60) << true;
        QTest::newRow("garbled") << QByteArray("\x01\x02garbage\n") << qint64(60) << true;
        QTest::newRow("a dead process on this machine") << lockText(deadPid(), host) << qint64(60) << true;
        QTest::newRow("a live process on this machine") << lockText(QCoreApplication::applicationPid(), host)
                                                        << qint64(60) << false;
        QTest::newRow("a process on another machine") << lockText(deadPid(), QStringLiteral("elsewhere.invalid"))
                                                      << qint64(60) << false;
        // A lock file being written right now is empty for a moment; it is not taken from its writer.
        QTest::newRow("empty, just made") << QByteArray() << qint64(0) << false;
    }

    void leftLocks()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, ageSeconds);
        QFETCH(bool, takenOver);
        QTemporaryDir dir;
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        const QString lock = dir.filePath(QStringLiteral("alice.keyRing.lock"));
        QVERIFY(writeLock(lock, text, ageSeconds));

        Session session(dir.path());
        const auto outcome = session.login(QStringLiteral("alice"), QStringLiteral("pw"));
        QCOMPARE(outcome.succeeded(), takenOver);
        if (!takenOver)
            QCOMPARE(outcome.message, keyRingInUseMessage(QStringLiteral("alice.keyRing")));
    }

    void refusalsSayWhy_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("error");
        QTest::newRow("read-only folder with a stale lock") << QStringLiteral("read-only") << EROFS;
        QTest::newRow("full disk") << QStringLiteral("full") << ENOSPC;
    }

    void refusalsSayWhy()
    {
        QFETCH(QString, situation);
        QFETCH(int, error);
        SmallDisk disk;
        if (!disk.isMounted())
            QSKIP("this test may not mount a tmpfs here");
        QVERIFY(Session(disk.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        if (situation == QLatin1String("read-only")) {
            QVERIFY(writeLock(disk.filePath(QStringLiteral("alice.keyRing.lock")), QByteArray(), 60));
            QVERIFY(disk.remountReadOnly());
        } else {
            QVERIFY(disk.fill());
        }
        FileLock lock(disk.filePath(QStringLiteral("alice.keyRing")));
        QVERIFY(!lock.tryLock());
        QVERIFY2(lock.refusal().contains(reason(error)), qPrintable(lock.refusal()));
        QVERIFY(!lock.refusal().contains(QStringLiteral("in use")));
    }

    void overlongNameSaysWhy()
    {
        QTemporaryDir dir;
        const QString name(300, QLatin1Char('n'));
        const auto outcome = Session(dir.path()).login(name, QStringLiteral("pw"));
        QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
        QVERIFY2(outcome.message.contains(reason(ENAMETOOLONG)), qPrintable(outcome.message));
    }
};

QTEST_GUILESS_MAIN(TestFileLock)
#include "test_file_lock.moc"
