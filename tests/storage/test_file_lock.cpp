// Who may take a key ring's lock: whoever finds no process holding it, whatever the lock file says; every refusal
// says the real reason, and odd files at the lock's name are refused at once.
#include "app/session.h"
#include "small_disk.h"
#include "storage/file_lock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessary;

namespace {

constexpr uid_t nobody = 65534;

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A process id that surely names no process: one that ran and was reaped.
qint64 deadPid()
{
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForFinished();
    return process.processId() > 0 ? process.processId() : 0x3FFFFF;
}

bool writeLock(const QString& path, const QByteArray& text, qint64 ageSeconds)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush() &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
}

// A forked process, as root or as nobody, that runs `work` and sends back what it returns; with `holdOn` it then
// waits until this side goes out of scope (and with it the child's lock, as a crash would let it go).
class Child
{
public:
    Child(uid_t user, const std::function<QByteArray()>& work, bool holdOn = false)
    {
        int answer[2];
        int release[2];
        if (::pipe(answer) != 0 || ::pipe(release) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(answer[0]);
            ::close(release[1]);
            if (user != 0 && (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0))
                ::_exit(2);
            const QByteArray said = work();
            if (::write(answer[1], said.constData(), size_t(said.size())) < 0 || ::close(answer[1]) != 0)
                ::_exit(3);
            char c = 0;
            if (holdOn && ::read(release[0], &c, 1) < 0)
                ::_exit(4);
            ::_exit(0);
        }
        ::close(answer[1]);
        ::close(release[0]);
        m_release = release[1];
        char buffer[512];
        for (ssize_t got; (got = ::read(answer[0], buffer, sizeof buffer)) > 0;)
            m_said.append(buffer, got);
        ::close(answer[0]);
    }
    ~Child()
    {
        ::close(m_release);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    const QByteArray& said() const { return m_said; }
    qint64 pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    QByteArray m_said;
};

QByteArray tryLockIn(const QString& ring)
{
    FileLock lock(ring);
    return lock.tryLock() ? QByteArray("taken") : lock.refusal().toUtf8();
}

} // namespace

class TestFileLock : public QObject
{
    Q_OBJECT

private slots:
    // No process holds the lock: whatever its file holds, and however old, it is taken; anything at its name
    // that is no plain file is refused at once, and a link is not followed.
    void lockFilesNobodyHolds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("ageSeconds");
        QTest::addColumn<bool>("taken");
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + "\n";
        QTest::newRow("empty, left by a killed writer") << "file" << QByteArray() << qint64(10) << true;
        QTest::newRow("garbled") << "file" << QByteArray("\x01\x02garbage\n") << qint64(60) << true;
        QTest::newRow("a dead process") << "file" << QByteArray::number(deadPid()) << qint64(60) << true;
        QTest::newRow("a live process that holds nothing") << "file" << pid << qint64(0) << true;
        QTest::newRow("another machine's") << "file" << QByteArray("1\ntessary\nelsewhere.invalid\n") << qint64(60)
                                           << true;
        QTest::newRow("empty, a time ahead") << "file" << QByteArray() << qint64(-86400) << true;
        QTest::newRow("FIFO") << "fifo" << QByteArray() << qint64(0) << false;
        QTest::newRow("folder") << "folder" << QByteArray() << qint64(0) << false;
        QTest::newRow("dangling link") << "dangling link" << QByteArray() << qint64(0) << false;
        QTest::newRow("link to the key ring") << "link to the ring" << QByteArray() << qint64(0) << false;
    }

    void lockFilesNobodyHolds()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, text);
        QFETCH(qint64, ageSeconds);
        QFETCH(bool, taken);
        QTemporaryDir dir;
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        const QString ring = dir.filePath(QStringLiteral("alice.keyRing"));
        const QString lock = ring + QStringLiteral(".lock");
        const QByteArray raw = QFile::encodeName(lock);
        QFile ringFile(ring);
        QVERIFY(ringFile.open(QIODevice::ReadOnly));
        const QByteArray ringBytes = ringFile.readAll();
        if (kind.endsWith(QLatin1String("file")))
            QVERIFY(writeLock(lock, text, ageSeconds));
        if (kind == QLatin1String("fifo"))
            QVERIFY(::mkfifo(raw.constData(), 0600) == 0);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("alice.keyRing.lock")));
        if (kind.contains(QLatin1String("link")))
            QVERIFY(QFile::link(kind == QLatin1String("dangling link") ? dir.filePath(QStringLiteral("gone")) : ring,
                                lock));

        {
            Session session(dir.path());
            const auto outcome = session.login(QStringLiteral("alice"), QStringLiteral("pw"));
            QCOMPARE(outcome.succeeded(), taken);
            QVERIFY2(taken || outcome.message.startsWith(QStringLiteral("Cannot lock alice.keyRing (%1): ").arg(lock)),
                     qPrintable(outcome.message));
        }
        // A lock that was taken goes with its holder; anything else stays as it was.
        QCOMPARE(QFileInfo(lock).exists() || QFileInfo(lock).isSymLink(), !taken);
        QVERIFY(ringFile.seek(0));
        QCOMPARE(ringFile.readAll(), ringBytes);
    }

    // A process holds the lock: it keeps it whoever it runs as, whoever asks, and whatever became of its file.
    void liveHoldersKeepTheLock_data()
    {
        QTest::addColumn<uid_t>("holder");
        QTest::addColumn<uid_t>("taker");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("held by another process") << uid_t(0) << uid_t(0) << false;
        QTest::newRow("held, its file emptied") << uid_t(0) << uid_t(0) << true;
        QTest::newRow("held by another user") << nobody << uid_t(0) << false;
        QTest::newRow("asked by another user") << uid_t(0) << nobody << false;
    }

    void liveHoldersKeepTheLock()
    {
        QFETCH(uid_t, holder);
        QFETCH(uid_t, taker);
        QFETCH(bool, emptied);
        if (::geteuid() != 0)
            QSKIP("another user's process needs root to start");
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
        const mode_t oldMask = ::umask(022);
        const QString ring = dir.filePath(QStringLiteral("alice.keyRing"));
        const QString lock = ring + QStringLiteral(".lock");

        std::unique_ptr<Child> holding;
        FileLock held(ring);
        if (taker == 0) {
            holding = std::make_unique<Child>(
                holder,
                [&] {
                    // Never let go by the child itself: it ends by _exit, and the kernel lets go of the lock.
                    auto* mine = new FileLock(ring);
                    const bool locked = mine->tryLock();
                    if (locked && emptied)
                        QFile::resize(lock, 0);
                    return locked ? QByteArray("held") : mine->refusal().toUtf8();
                },
                true);
            QCOMPARE(holding->said(), QByteArray("held"));
        } else {
            QVERIFY(held.tryLock());
        }
        const qint64 holderPid = holding ? holding->pid() : QCoreApplication::applicationPid();
        const QByteArray said = taker == 0 ? tryLockIn(ring) : Child(taker, [&] { return tryLockIn(ring); }).said();
        ::umask(oldMask);
        QCOMPARE(QString::fromUtf8(said), keyRingInUseMessage(QStringLiteral("alice.keyRing"), emptied ? 0 : holderPid));

        // Once its holder is gone, the lock is free, although a killed holder left its file behind.
        holding.reset();
        held.unlock();
        QCOMPARE(tryLockIn(ring), QByteArray("taken"));
    }

    void refusalsSayWhy_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("error");
        QTest::newRow("read-only folder with a stale lock") << QStringLiteral("read-only") << EROFS;
        // Holding the lock needs no room; the save after it says that the disk is full.
        QTest::newRow("full disk") << QStringLiteral("full") << 0;
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
        QCOMPARE(lock.tryLock(), error == 0);
        if (error != 0) {
            QVERIFY2(lock.refusal().contains(reason(error)), qPrintable(lock.refusal()));
            QVERIFY(!lock.refusal().contains(QStringLiteral("in use")));
        }
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
