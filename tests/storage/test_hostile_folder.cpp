// What another user, or anything else that changes the folder between a read and a save, cannot do to a key ring:
// win a save by renaming a file over the new one, have the save follow a link put in since the read, or write over
// a file put in the ring's place.
#include "app/session.h"
#include "other_user.h"
#include "storage/file_io.h"
#include "test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace tessary;

namespace {

// Another user's process that renames a file of its own over every new file a save makes, as fast as it can, until
// it is killed.
pid_t startSwapper(const QString& folder)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyUid) != 0 || ::setuid(nobodyUid) != 0)
        ::_exit(1);
    const QByteArray dir = QFile::encodeName(folder);
    const QByteArray own = dir + "/.theirs";
    for (;;) {
        DIR* entries = ::opendir(dir.constData());
        while (const dirent* entry = entries ? ::readdir(entries) : nullptr) {
            if (std::strncmp(entry->d_name, ".tessary-saving-", 16) != 0)
                continue;
            const int fd = ::open(own.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            [[maybe_unused]] const ssize_t written = ::write(fd, "their file", 10);
            ::close(fd);
            ::rename(own.constData(), (dir + '/' + entry->d_name).constData());
        }
        if (entries)
            ::closedir(entries);
    }
}

void addKey(Session& session, const QByteArray& name)
{
    KeyRecord record;
    record.name = name;
    record.password = "secret";
    QCOMPARE(session.keyTable().addKey(record), KeyTable::AddResult::Added);
}

} // namespace

class TestHostileFolder : public QObject
{
    Q_OBJECT

private slots:
    // Every save reported done left the very bytes written at the name; in a sticky folder the other user cannot
    // rename over the user's files at all, so every save is done.
    void aSwapperNeverWinsASave_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("others may write, sticky") << 01777;
        QTest::newRow("others may write") << 0777;
    }

    void aSwapperNeverWinsASave()
    {
        QFETCH(int, mode);
        if (::geteuid() != 0)
            QSKIP("another user's process needs root to start");
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(mode)) == 0);
        const QString ring = dir.filePath(QStringLiteral("alice.keyRing"));
        QString reason;
        QVERIFY(replaceFile(ring, "first", reason));

        const pid_t swapper = startSwapper(dir.path());
        QVERIFY(swapper > 0);
        const auto stop = qScopeGuard([swapper] {
            ::kill(swapper, SIGKILL);
            ::waitpid(swapper, nullptr, 0);
        });
        int refused = 0;
        for (int save = 0; save < 300; ++save) {
            const QByteArray bytes = QByteArray::number(save).rightJustified(64 * 1024, 'k');
            if (replaceFile(ring, bytes, reason)) {
                QVERIFY2(fileBytes(ring) == bytes, qPrintable(QStringLiteral("save %1 reported done").arg(save)));
            } else {
                // Once a swap has put their file at the name, it is refused as theirs.
                QVERIFY2(reason.contains(QStringLiteral("changed by someone else")) ||
                             reason.contains(QStringLiteral("belongs to another user")),
                         qPrintable(reason));
                ++refused;
            }
        }
        if (mode & S_ISVTX)
            QCOMPARE(refused, 0);
        qInfo("%d of 300 saves found their new file swapped", refused);
    }

    // What the name leads to at the save must be the file read at the login.
    void aNameChangedSinceTheReadIsNotWritten_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusal"); // part of the reason; empty when the save is done
        QTest::newRow("a link to another file of the user's") << QStringLiteral("link") << "symbolic link since it was read";
        QTest::newRow("another file moved in") << QStringLiteral("moved in") << "replaced by another file";
        QTest::newRow("a link to the ring itself, moved away") << QStringLiteral("link to the ring")
                                                               << "symbolic link since it was read";
        // Nobody else's file is in danger: the keys in memory are written anew.
        QTest::newRow("removed") << QStringLiteral("removed") << "";
        QTest::newRow("its own link, now to another user's file") << QStringLiteral("given away")
                                                                  << "belongs to another user";
    }

    void aNameChangedSinceTheReadIsNotWritten()
    {
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        if (change == QLatin1String("given away") && ::geteuid() != 0)
            QSKIP("giving a file away needs root");
        // The files the links lead to are outside the data folder: a link to another file in it is refused anyway.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("home")));
        const QString ring = dir.filePath(QStringLiteral("alice.keyRing"));
        const QString notes = dir.filePath(QStringLiteral("home/notes.txt"));
        QVERIFY(writeFile(notes, "my notes"));
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        const QString kept = dir.filePath(QStringLiteral("home/alice.keyRing"));
        if (change == QLatin1String("given away")) {
            QVERIFY(QFile::rename(ring, kept) && QFile::link(kept, ring));
        }
        Session session(dir.path());
        QVERIFY(session.login(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        addKey(session, "mail");

        if (change == QLatin1String("link")) {
            QVERIFY(QFile::remove(ring) && QFile::link(notes, ring));
        } else if (change == QLatin1String("moved in")) {
            QVERIFY(QFile::copy(ring, kept) &&
                    ::rename(QFile::encodeName(kept).constData(), QFile::encodeName(ring).constData()) == 0);
        } else if (change == QLatin1String("link to the ring")) {
            QVERIFY(QFile::rename(ring, kept) && QFile::link(kept, ring));
        } else if (change == QLatin1String("removed")) {
            QVERIFY(QFile::remove(ring));
        } else {
            QVERIFY(::chown(QFile::encodeName(kept).constData(), nobodyUid, nobodyUid) == 0);
        }
        const QString target = QFileInfo(ring).isSymLink() ? QFileInfo(ring).canonicalFilePath() : ring;
        const QByteArray before = fileBytes(target);

        QString error;
        const bool saved = session.save(&error);
        QCOMPARE(saved, refusal.isEmpty());
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QCOMPARE(fileBytes(notes), QByteArray("my notes"));
        if (!saved)
            QCOMPARE(fileBytes(target), before);
        else
            QCOMPARE(readKeyRing(ring).table.keyCount(), 1);
    }

    // One ring reached through links from two data folders has one lock, beside the file itself.
    void twoFoldersLinkingOneRingShareItsLock()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a")) && QDir(dir.path()).mkpath(QStringLiteral("b")));
        const QString a = dir.filePath(QStringLiteral("a"));
        const QString b = dir.filePath(QStringLiteral("b"));
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        for (const QString& folder : {a, b})
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("alice.keyRing")), folder + QStringLiteral("/alice.keyRing")));

        Session first(a);
        QVERIFY(first.login(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        Session second(b);
        const Session::Outcome outcome = second.login(QStringLiteral("alice"), QStringLiteral("pw"));
        QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
        QVERIFY2(outcome.message.contains(QStringLiteral("is in use by another Tessary program")),
                 qPrintable(outcome.message));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("alice.keyRing.lock"))));
    }
};

QTEST_GUILESS_MAIN(TestHostileFolder)
#include "test_hostile_folder.moc"
