// Who may take a key ring's lock: only a process that holds it keeps it, whatever its file says; every refusal
// says the real reason, and odd files at the lock's name are refused at once.
#include "app/session.h"
#include "other_user.h"
#include "small_disk.h"
#include "storage/file_lock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessary;

namespace {

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

QByteArray tryLockOf(const QString& ring, std::chrono::milliseconds wait = std::chrono::milliseconds(100))
{
    FileLock lock(ring);
    return lock.tryLock(wait) ? QByteArray("taken") : lock.refusal().toUtf8();
}

} // namespace

class TestFileLock : public QObject
{
    Q_OBJECT

private slots:
    void whoGetsTheLock_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("refusal"); // how it starts; empty when the lock is taken
        const QString inUse = QStringLiteral("The key ring alice.keyRing is in use by another Tessary program");
        const QString odd = QStringLiteral("Cannot lock alice.keyRing (");
        // Nobody holds it: the text and the age of its file do not count.
        QTest::newRow("empty, left by a killed writer") << QStringLiteral("text:") << QString();
        QTest::newRow("a live process that holds nothing") << QStringLiteral("text:%1").arg(::getpid()) << QString();
        QTest::newRow("another machine's") << QStringLiteral("text:1\ntessary\nelsewhere.invalid\n") << QString();
        QTest::newRow("empty, a day ahead") << QStringLiteral("future") << QString();
        QTest::newRow("FIFO") << QStringLiteral("fifo") << odd;
        QTest::newRow("folder") << QStringLiteral("folder") << odd;
        QTest::newRow("dangling link") << QStringLiteral("dangling") << odd;
        QTest::newRow("link to the key ring") << QStringLiteral("link") << odd;
        // Nothing is written into it, so a hard link there harms nothing.
        QTest::newRow("hard link to another file") << QStringLiteral("hard link") << QString();
        // A process holds it: it keeps it whatever became of its file, and the kernel names it.
        QTest::newRow("held, its file emptied") << QStringLiteral("held, emptied") << inUse + QStringLiteral(" (process ");
        // In a folder others can write, another user's lock file could be held for good: it is refused by name, and
        // so is the user's own to another user.
        QTest::newRow("made and held by another user")
            << QStringLiteral("held by nobody") << odd;
        QTest::newRow("asked by another user") << QStringLiteral("asked by nobody") << odd;
        // The real reason, not that of a second try without creating it.
        QTest::newRow("asked by a user who cannot write the folder")
            << QStringLiteral("asked by nobody, folder not theirs") << odd;
    }

    void whoGetsTheLock()
    {
        QFETCH(QString, setup);
        QFETCH(QString, refusal);
        constexpr uid_t nobody = nobodyUid;
        if (setup.contains(QLatin1String("nobody")) && ::geteuid() != 0)
            QSKIP("another user's process needs root to start");
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 01777) == 0);
        const mode_t oldMask = ::umask(022);
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        const QString ring = dir.filePath(QStringLiteral("alice.keyRing"));
        const QString lock = ring + QStringLiteral(".lock");
        const QByteArray raw = QFile::encodeName(lock);

        int keep = -1;
        FileLock mine(ring);
        if (setup.startsWith(QLatin1String("text:")))
            QVERIFY(writeLock(lock, setup.mid(5).toUtf8(), 10));
        else if (setup == QLatin1String("future"))
            QVERIFY(writeLock(lock, {}, -86400));
        else if (setup == QLatin1String("fifo"))
            QVERIFY(::mkfifo(raw.constData(), 0600) == 0);
        else if (setup == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(lock).fileName()));
        else if (setup == QLatin1String("hard link"))
            QVERIFY(writeLock(dir.filePath(QStringLiteral("notes.txt")), "my notes", 10) &&
                    ::link(QFile::encodeName(dir.filePath(QStringLiteral("notes.txt"))).constData(), raw.constData()) == 0);
        else if (setup == QLatin1String("dangling") || setup == QLatin1String("link"))
            QVERIFY(QFile::link(setup == QLatin1String("link") ? ring : dir.filePath(QStringLiteral("gone")), lock));
        else if (setup.startsWith(QLatin1String("held")))
            QCOMPARE(inChild(
                         setup.contains(QLatin1String("nobody")) ? nobody : 0,
                         [&] {
                             auto* held = new FileLock(ring); // let go of by the kernel only, when the child ends
                             const bool locked = held->tryLock();
                             return locked && (!setup.contains(QLatin1String("emptied")) || QFile::resize(lock, 0))
                                        ? QByteArray("held")
                                        : held->refusal().toUtf8();
                         },
                         &keep),
                     QByteArray("held"));
        else if (!setup.contains(QLatin1String("folder not theirs"))) // there: no lock file to open
            QVERIFY(mine.tryLock());

        if (setup.contains(QLatin1String("folder not theirs")))
            QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        const QString said = QString::fromUtf8(setup.startsWith(QLatin1String("asked by nobody"))
                                                   ? inChild(nobody, [&] { return tryLockOf(ring); })
                                                   : tryLockOf(ring));
        ::umask(oldMask);
        QVERIFY2(refusal.isEmpty() ? said == QLatin1String("taken") : said.startsWith(refusal), qPrintable(said));
        if (setup.startsWith(QLatin1String("asked by nobody")))
            QVERIFY2(said.endsWith(reason(EACCES) + QLatin1Char('.')), qPrintable(said));
        if (setup == QLatin1String("hard link")) {
            QFile notes(dir.filePath(QStringLiteral("notes.txt")));
            QVERIFY(notes.open(QIODevice::ReadOnly));
            QCOMPARE(notes.readAll(), QByteArray("my notes"));
        }
        // A holder that ended left its file behind, and the lock free.
        if (keep >= 0) {
            ::close(keep);
            if (!setup.contains(QLatin1String("nobody"))) // that one stays refused by name
                QCOMPARE(tryLockOf(ring, std::chrono::seconds(5)), QByteArray("taken"));
        }
    }

    void refusalsSayWhy_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("error");
        QTest::newRow("read-only disk, no lock file") << QStringLiteral("read-only") << EROFS;
        // The lock file there is only opened: the lock is held, and the save after it says why it fails.
        QTest::newRow("read-only disk with a stale lock") << QStringLiteral("read-only, stale") << 0;
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
        if (situation.startsWith(QLatin1String("read-only"))) {
            if (situation.contains(QLatin1String("stale")))
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
