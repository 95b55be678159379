// Every writer on a disk that fills up part way, and files that are no key ring or user list at all: the old
// files stay byte for byte, nothing is left behind, and the message says why.
#include "app/session.h"
#include "small_disk.h"
#include "storage/file_io.h"
#include "storage/user_list.h"
#include "test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace tessary;

// The calls that put a save on the disk, in the order the writers make them: these definitions stand in for the
// C library's within this test's own code and its libraries, and pass every call on to the kernel.
namespace {
bool recording = false;
QStringList calls;
bool folderSyncFails = false;

QString openedPath(int fd)
{
    return QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget();
}
} // namespace

extern "C" int fsync(int fd)
{
    if (recording)
        calls.append(QStringLiteral("sync ") + openedPath(fd));
    struct stat status = {};
    if (folderSyncFails && ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept
{
    if (recording)
        calls.append(QStringLiteral("rename %1/%2 %3/%4")
                         .arg(openedPath(fromFolder), QFile::decodeName(from), openedPath(toFolder),
                              QFile::decodeName(to)));
    return static_cast<int>(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, 0));
}

namespace {

enum class Writer { Save, Export, DamagedSave, CreateUser, CreateKeyRing, MasterPassword, KeyPassword };

QMap<QString, QByteArray> snapshot(const QString& directory)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == QLatin1String(".filler"))
            continue;
        QFile file(path);
        files.insert(it.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)"));
    }
    return files;
}

void addKey(Session& session, const QByteArray& name, qsizetype notesLength)
{
    KeyRecord record;
    record.name = name;
    record.password = "secret";
    record.description = QByteArray(notesLength, 'n');
    QCOMPARE(session.keyTable().addKey(record), KeyTable::AddResult::Added);
}

// Runs one writer against the prepared folder; true when it reported success.
bool runWriter(Writer writer, Session& session, const QString& directory, QString& error)
{
    switch (writer) {
    case Writer::Save:
    case Writer::DamagedSave:
        addKey(session, "one more", 2000);
        return session.save(&error);
    case Writer::Export:
        return session.exportKeyRing(&error);
    case Writer::CreateUser: {
        Session other(directory);
        const Session::Outcome outcome = other.createUser(QStringLiteral("carolyn"), QStringLiteral("pw"));
        error = outcome.message;
        return outcome.succeeded();
    }
    case Writer::CreateKeyRing:
        return createKeyRing(QDir(directory).filePath(QStringLiteral("bob.keyRing")), "pw", &error);
    case Writer::MasterPassword: {
        const Session::PasswordChange change = session.changeMasterPassword(QStringLiteral("pw"),
                                                                            QStringLiteral("a new one"));
        error = change.message;
        return change.status == Session::PasswordChange::Status::Changed;
    }
    case Writer::KeyPassword:
        return session.changeKeyPassword(1, "a new key password", &error);
    }
    return false;
}

// alice with two keys, saved and exported once, and a user list of 30 names: every file is larger than the file
// size limit, so a limit stops any rewrite of one.
void prepare(Writer writer, const QString& directory, Session& session)
{
    QByteArray list;
    for (int i = 0; i < 30; ++i)
        list += "\"user " + QByteArray::number(i) + "\"\r\n";
    QString reason;
    QVERIFY(replaceFile(QDir(directory).filePath(QStringLiteral("Tessary.UserList")), list, reason));
    QVERIFY(session.createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
    addKey(session, "mail", 400);
    addKey(session, "bank", 400);
    QVERIFY(session.save());
    QVERIFY(session.exportKeyRing());
    if (writer == Writer::DamagedSave) {
        // A ring cut short is read with the damage warning, and its first save keeps it as ".bak" first.
        const QString file = QDir(directory).filePath(QStringLiteral("alice.keyRing"));
        QFile ring(file);
        QVERIFY(ring.open(QIODevice::ReadWrite));
        QVERIFY(ring.resize(ring.size() - 3));
        ring.close();
        session.~Session();
        new (&session) Session(directory);
        QVERIFY(session.login(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        QVERIFY(session.keyRing().readDamaged);
    }
}

} // namespace

Q_DECLARE_METATYPE(Writer)

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void writersLeaveTheOldFiles_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<bool>("onTmpfs");
        const struct
        {
            const char* name;
            Writer writer;
        } writers[] = {
            {"save", Writer::Save},
            {"export", Writer::Export},
            {"backup of a damaged ring", Writer::DamagedSave},
            {"new user", Writer::CreateUser},
            {"new key ring", Writer::CreateKeyRing},
            {"new master password", Writer::MasterPassword},
            {"new key password", Writer::KeyPassword},
        };
        for (const auto& w : writers) {
            QTest::addRow("%s, full tmpfs", w.name) << w.writer << true;
            QTest::addRow("%s, file size limit", w.name) << w.writer << false;
        }
    }

    void writersLeaveTheOldFiles()
    {
        QFETCH(Writer, writer);
        QFETCH(bool, onTmpfs);
        SmallDisk disk;
        QTemporaryDir plain;
        if (onTmpfs && !disk.isMounted())
            QSKIP("this test may not mount a tmpfs here; the file size limit rows cover the writers");
        if (!onTmpfs && writer == Writer::CreateKeyRing)
            QSKIP("an empty key ring is smaller than any file size limit a lock file still fits under");
        const QString directory = onTmpfs ? disk.path() : plain.path();

        Session session(directory);
        prepare(writer, directory, session);
        if (QTest::currentTestFailed())
            return;
        const auto before = snapshot(directory);

        QString error;
        bool written = false;
        int expected = 0;
        if (onTmpfs) {
            QVERIFY(disk.fill());
            written = runWriter(writer, session, directory, error);
            expected = ENOSPC;
        } else {
            FileSizeLimit limit(256);
            QVERIFY(limit.active());
            written = runWriter(writer, session, directory, error);
            expected = EFBIG;
        }
        QVERIFY2(!written, "a write that cannot reach the disk was reported as done");
        QVERIFY2(error.contains(QString::fromLocal8Bit(std::strerror(expected))), qPrintable(error));
        QCOMPARE(snapshot(directory), before);
        // What the session holds still matches the file it could not replace.
        QCOMPARE(session.secret().password, QByteArray("pw"));
        QCOMPARE(session.keyTable().slot(1).password, QByteArray("secret"));

        // With room again the same writer goes through, so the full disk was what stopped it.
        if (onTmpfs)
            QVERIFY(disk.freeFiller());
        QVERIFY2(runWriter(writer, session, directory, error), qPrintable(error));
    }

    void keyRingFilesAreOwnerOnly()
    {
        QTemporaryDir dir;
        const mode_t oldMask = ::umask(0);
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        const QString file = dir.filePath(QStringLiteral("alice.keyRing"));
        // A damaged ring someone left readable by all: its copy, and the ring saved over it, are not.
        QFile ring(file);
        QVERIFY(ring.open(QIODevice::ReadWrite));
        QVERIFY(ring.resize(ring.size() - 1));
        ring.close();
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0644) == 0);
        // A save by root in another user's folder leaves the ring to its owner.
        const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
        QVERIFY(::chown(QFile::encodeName(file).constData(), owner, owner) == 0 || owner == ::geteuid());
        Session again(dir.path());
        QVERIFY(again.login(QStringLiteral("bob"), QStringLiteral("pw")).succeeded());
        QVERIFY(again.login(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        QVERIFY(again.save());
        QVERIFY(again.exportKeyRing());
        ::umask(oldMask);
        for (const char* name : {"alice.keyRing", "alice.keyRing.bak", "bob.keyRing", "tessary.keyRing"}) {
            struct stat status = {};
            QVERIFY(::stat(QFile::encodeName(dir.filePath(QString::fromLatin1(name))).constData(), &status) == 0);
            QCOMPARE(status.st_mode & 0777, mode_t(0600));
            QCOMPARE(status.st_uid, qstrcmp(name, "alice.keyRing") == 0 ? owner : ::geteuid());
        }

        // What root makes anew in another user's folder is that user's too.
        if (::geteuid() != 0)
            return;
        QTemporaryDir theirs;
        QVERIFY(::chown(QFile::encodeName(theirs.path()).constData(), 65534, 65534) == 0);
        QVERIFY(Session(theirs.path()).createUser(QStringLiteral("carol"), QStringLiteral("pw")).succeeded());
        for (const char* name : {"carol.keyRing", "Tessary.UserList"}) {
            struct stat status = {};
            QVERIFY(::stat(QFile::encodeName(theirs.filePath(QString::fromLatin1(name))).constData(), &status) == 0);
            QCOMPARE(status.st_uid, uid_t(65534));
        }
    }

    void saveThroughASymbolicLinkKeepsTheLink()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("elsewhere")));
        QVERIFY(Session(dir.path()).createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        const QString real = dir.filePath(QStringLiteral("elsewhere/alice.keyRing"));
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("alice.keyRing")), real));
        QVERIFY(QFile::link(real, dir.filePath(QStringLiteral("alice.keyRing"))));
        Session session(dir.path());
        QVERIFY(session.login(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        addKey(session, "mail", 10);
        QVERIFY(session.save());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("alice.keyRing"))).isSymLink());
        QCOMPARE(readKeyRing(real).table.keyCount(), 1);
    }

    void specialFilesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("asUserList");
        for (const bool list : {false, true}) {
            const char* what = list ? "user list" : "key ring";
            QTest::addRow("FIFO as %s", what) << QStringLiteral("fifo") << list;
            QTest::addRow("/dev/zero as %s", what) << QStringLiteral("zero") << list;
            QTest::addRow("sparse 1 GiB file as %s", what) << QStringLiteral("sparse") << list;
            QTest::addRow("folder as %s", what) << QStringLiteral("folder") << list;
        }
    }

    void specialFilesAreRefusedAtOnce()
    {
        QFETCH(QString, kind);
        QFETCH(bool, asUserList);
        QTemporaryDir dir;
        const QString path = dir.filePath(asUserList ? QStringLiteral("Tessary.UserList")
                                                     : QStringLiteral("alice.keyRing"));
        const QByteArray raw = QFile::encodeName(path);
        if (kind == QLatin1String("fifo"))
            QVERIFY(::mkfifo(raw.constData(), 0600) == 0);
        else if (kind == QLatin1String("zero"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(path).fileName()));
        else
            QVERIFY(::truncate((::close(::creat(raw.constData(), 0600)), raw.constData()), qint64(1) << 30) == 0);

        Session session(dir.path());
        QString error;
        if (asUserList) {
            QVERIFY(readUserList(path, maximumUsers, &error).isEmpty());
            QVERIFY2(error.startsWith(QStringLiteral("Cannot read")), qPrintable(error));
            // A new user is refused too, and leaves neither a key ring nor a lock behind.
            const auto outcome = session.createUser(QStringLiteral("bob"), QStringLiteral("pw"));
            QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
            QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("bob.keyRing"))));
            QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("bob.keyRing.lock"))));
        } else {
            const KeyRingReadResult read = readKeyRing(path, QStringLiteral("alice.keyRing"));
            QCOMPARE(read.status, KeyRingReadResult::Status::Unreadable);
            QVERIFY2(read.message.startsWith(QStringLiteral("Cannot read alice.keyRing: ")), qPrintable(read.message));
            const auto outcome = session.login(QStringLiteral("alice"), QStringLiteral("pw"));
            QCOMPARE(outcome.status, Session::Outcome::Status::UnusableKeyRing);
            QVERIFY(!outcome.mustEnd);
            QVERIFY(!session.isLoggedIn());
        }
    }

    void saveRemovesWhatAKilledSaveLeft()
    {
        // Files as a save killed before its rename leaves them, old enough that no save can still be writing
        // them (or dated far ahead), beside files that only look alike, are no plain files, or lie in the folder
        // the ring's link leads to.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("elsewhere")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere/alice.keyRing")),
                            dir.filePath(QStringLiteral("alice.keyRing"))));
        const QMap<QString, qint64> ages{{QStringLiteral(".tessary-saving-Fresh1"), 0},
                                         {QStringLiteral(".tessary-saving-Fivemn"), 300},
                                         {QStringLiteral(".tessary-saving-Ahead1"), -3600},
                                         {QStringLiteral(".tessary-saving-Ahead2"), -2 * 86400}};
        const auto make = [&](const QString& name, const QDateTime& modified) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("leftover");
            file.flush();
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        };
        const QStringList abandoned{QStringLiteral(".tessary-saving-Ab3xZ9"), QStringLiteral(".tessary-saving-000000"),
                                    QStringLiteral(".tessary-saving-Ahead2")};
        const QStringList kept{
            QStringLiteral(".tessary-saving-Fresh1"), // perhaps another save's, still being written
            QStringLiteral(".tessary-saving-Fivemn"),
            QStringLiteral(".tessary-saving-Ahead1"),
            QStringLiteral("elsewhere/.tessary-saving-Other1"),
            QStringLiteral("elsewhere/alice.keyRing"),
            QStringLiteral("alice.keyRing.backup"), // the user's own copies
            QStringLiteral("alice.keyRing.Ab3xZ9"),
            QStringLiteral(".tessary-saving-Ab3xZ"),
            QStringLiteral(".tessary-saving-Ab3x-9"),
            QStringLiteral(".tessary-saving-Ab3xZ9.old"),
            QStringLiteral("alice.keyRing.lock"),
        };
        for (const QString& name : abandoned + kept)
            make(name, QDateTime::currentDateTime().addSecs(-ages.value(name, 3600)));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".tessary-saving-Folder")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("alice.keyRing.backup")),
                            dir.filePath(QStringLiteral(".tessary-saving-Link99"))));
        const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral(".tessary-saving-Fifo99")));
        const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0 && ::utimensat(AT_FDCWD, fifo.constData(), hourAgo, 0) == 0);

        QString reason;
        QVERIFY2(replaceFile(dir.filePath(QStringLiteral("alice.keyRing")), "new ring", reason, {Links::Follow, false, {}}),
                 qPrintable(reason));

        for (const QString& name : abandoned)
            QVERIFY2(!QFileInfo::exists(dir.filePath(name)), qPrintable(name));
        for (const QString& name : kept + QStringList{QStringLiteral(".tessary-saving-Folder")})
            QVERIFY2(QFileInfo::exists(dir.filePath(name)), qPrintable(name));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral(".tessary-saving-Link99"))).isSymLink());
        const auto everything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden;
        // The folder, the links, the FIFO, and "elsewhere" with its two files counted in `kept`.
        QCOMPARE(QDir(dir.path()).entryList(everything).size(), kept.size() + 3);
    }

    // The new file reaches the disk before it takes the old one's name, and the name before the save is done;
    // through a link, in the folder of the file it names.
    void savesReachTheDiskBeforeTheirRename()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
        const QString folder = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/real");
        const QString target = folder + QStringLiteral("/alice.keyRing");
        QString reason;
        QVERIFY(replaceFile(target, "old", reason));
        QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("alice.keyRing"))));

        calls.clear();
        recording = true;
        const bool saved = replaceFile(dir.filePath(QStringLiteral("alice.keyRing")), "new", reason, {Links::Follow, false, {}});
        recording = false;
        QVERIFY2(saved, qPrintable(reason));
        const QString made = calls.value(1).section(QLatin1Char(' '), 1, 1);
        QVERIFY2(made.startsWith(folder + QStringLiteral("/.tessary-saving-")), qPrintable(made));
        QCOMPARE(calls, (QStringList{QStringLiteral("sync ") + made, QStringLiteral("rename %1 %2").arg(made, target),
                                     QStringLiteral("sync ") + folder}));
    }

    // A save is done only when all of it is: a folder whose new entry did not reach the disk says so, and an
    // exclusive create leaves a file that is there alone.
    void halfDoneSavesAreReported_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("reason");
        QTest::newRow("the folder's flush fails") << QStringLiteral("sync") << QStringLiteral("may not have reached");
        QTest::newRow("exclusive, a file is there") << QStringLiteral("exists") << QString::fromLocal8Bit(std::strerror(EEXIST));
    }

    void halfDoneSavesAreReported()
    {
        QFETCH(QString, situation);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("alice.keyRing"));
        QString said;
        QVERIFY(replaceFile(file, "old", said));
        SaveOptions options;
        options.createOnly = situation == QLatin1String("exists");
        folderSyncFails = situation == QLatin1String("sync");
        const bool saved = replaceFile(file, "new", said, options);
        folderSyncFails = false;
        QVERIFY(!saved);
        QVERIFY2(said.contains(reason), qPrintable(said));
        if (options.createOnly)
            QCOMPARE(fileBytes(file), QByteArray("old"));
    }

    // No write lands where a planted link points: the export, the user list and a damaged ring's copy refuse one,
    // and a user's own ring may lead elsewhere, but not to another user's.
    void writersRefuseLinks_data()
    {
        QTest::addColumn<QString>("link");
        for (const char* name : {"tessary.keyRing", "Tessary.UserList", "alice.keyRing.bak", "alice.keyRing"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void writersRefuseLinks()
    {
        QFETCH(QString, link);
        QTemporaryDir dir;
        Session session(dir.path());
        QVERIFY(session.createUser(QStringLiteral("bob"), QStringLiteral("pw")).succeeded());
        QVERIFY(session.createUser(QStringLiteral("alice"), QStringLiteral("pw")).succeeded());
        addKey(session, "mail", 10);
        session.keyRing().readDamaged = link.endsWith(QLatin1String(".bak"));
        // Bob keeps his ring elsewhere, through a link of his own.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("bob")));
        const QString victim = dir.filePath(QStringLiteral("bob/bob.keyRing"));
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("bob.keyRing")), victim));
        QVERIFY(QFile::link(victim, dir.filePath(QStringLiteral("bob.keyRing"))));
        QFile::remove(dir.filePath(link));
        QVERIFY(QFile::link(victim, dir.filePath(link)));
        const auto before = snapshot(dir.path());

        QString error;
        if (link == QLatin1String("tessary.keyRing"))
            QVERIFY(!session.exportKeyRing(&error));
        else if (link == QLatin1String("Tessary.UserList"))
            error = Session(dir.path()).createUser(QStringLiteral("carol"), QStringLiteral("pw")).message;
        else
            QVERIFY(!session.save(&error));
        QVERIFY2(error.contains(link), qPrintable(error));
        QCOMPARE(snapshot(dir.path()), before);
    }

    void longestFileNameCanBeSaved()
    {
        // The new file's name does not grow with the target's, so a name the folder just holds is saved too.
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(255 - 8, QLatin1Char('a')) + QStringLiteral(".keyRing"));
        QString reason;
        QVERIFY2(replaceFile(path, "first", reason), qPrintable(reason));
        QVERIFY2(replaceFile(path, "second", reason), qPrintable(reason));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("second"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void keyRingSizeLimitIsTheLargestRing()
    {
        // Exactly the largest ring there can be is read (here: zeros, so no key ring); one byte more is not.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.keyRing"));
        const QByteArray raw = QFile::encodeName(path);
        ::close(::creat(raw.constData(), 0600));
        QVERIFY(::truncate(raw.constData(), keyRingSizeLimit) == 0);
        QCOMPARE(readKeyRing(path).status, KeyRingReadResult::Status::NotKeyRing);
        QVERIFY(::truncate(raw.constData(), keyRingSizeLimit + 1) == 0);
        QCOMPARE(readKeyRing(path).status, KeyRingReadResult::Status::Unreadable);
    }
};

QTEST_GUILESS_MAIN(TestFullDisk)
#include "test_full_disk.moc"
