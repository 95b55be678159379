// The login and new-user paths shared by the desktop program and the command-line tool.
#include "app/session.h"
#include "small_disk.h"
#include "test_files.h"

#include "crypto/password_hash.h"
#include "storage/file_lock.h"
#include "storage/user_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tessary;

namespace {

void addKey(Session& session, const char* name, const char* password)
{
    KeyRecord record;
    record.name = name;
    record.password = password;
    QCOMPARE(session.keyTable().addKey(record), KeyTable::AddResult::Added);
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void newUserThenLoginSeesItsKeys()
    {
        {
            Session session(m_dir->path());
            const auto outcome = session.createUser(QStringLiteral("Bob Smith"), QStringLiteral("pässword"));
            QCOMPARE(outcome.status, Session::Outcome::Status::LoggedIn);
            QCOMPARE(session.currentUserName(), QStringLiteral("Bob Smith"));
            QCOMPARE(session.keyTable().keyCount(), 0);
            addKey(session, "mail", "secret\0tail");
            QVERIFY(session.save());
        }
        QCOMPARE(readUserList(m_dir->filePath(QStringLiteral("Tessary.UserList"))),
                 QStringList{QStringLiteral("Bob Smith")});

        Session session(m_dir->path());
        const auto outcome = session.login(QStringLiteral("Bob Smith"), QStringLiteral("pässword"));
        QCOMPARE(outcome.status, Session::Outcome::Status::LoggedIn);
        QVERIFY(outcome.warning.isEmpty());
        QCOMPARE(session.keyTable().keyCount(), 1);
        QCOMPARE(session.keyTable().slot(1).name, QByteArray("mail"));
        QCOMPARE(session.secret().key, hashPassword(QByteArray("p\xe4ssword")));
    }

    void refusedLoginsChangeNothing_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        using S = Session::Outcome::Status;
        QTest::newRow("wrong password") << "alice"
                                        << "wrong" << int(S::IncorrectPassword) << "Incorrect Password!";
        QTest::newRow("other case") << "alice"
                                    << "Right" << int(S::IncorrectPassword) << "Incorrect Password!";
        QTest::newRow("empty password") << "alice"
                                        << "" << int(S::IncorrectPassword) << "Incorrect Password!";
        QTest::newRow("no file name") << "!!!"
                                      << "right" << int(S::Refused)
                                      << "The user name \"!!!\" holds no letter, digit, \"-\", \"_\" or \"~\" to name "
                                         "a key ring file after.";
    }

    void refusedLoginsChangeNothing()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString file = m_dir->filePath(QStringLiteral("alice.keyRing"));
        QVERIFY(createKeyRing(file, "right"));
        const QByteArray before = fileBytes(file);

        Session session(m_dir->path());
        const auto outcome = session.login(user, password);
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(outcome.message, message);
        QVERIFY(!session.isLoggedIn());
        QVERIFY(session.currentUserName().isEmpty());
        QCOMPARE(fileBytes(file), before);
    }

    void missingKeyRingIsCreatedWithTheTypedPassword()
    {
        Session session(m_dir->path());
        QCOMPARE(session.login(QStringLiteral("Carol"), QStringLiteral("first")).status,
                 Session::Outcome::Status::LoggedIn);
        const QByteArray bytes = fileBytes(m_dir->filePath(QStringLiteral("Carol.keyRing")));
        QCOMPARE(bytes.size(), 82);
        QCOMPARE(bytes.mid(12, 16), hashPassword("first"));
    }

    void foreignFilesEndOrWarn_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<bool>("mustEnd");
        QTest::addColumn<QString>("text");
        const QByteArray good = serialized("pw");
        QTest::newRow("not a key ring") << QByteArray("hello world, not a key ring") << false << true
                                        << "Not a Tessary v0.1a file! (dave.keyRing) Please Report!";
        QByteArray over = good;
        over[28] = '\x00';
        over[29] = '\x01';
        QTest::newRow("too many") << over << false << true
                                  << "File asks for more entries then we can give! (256/255) Please Report!";
        QTest::newRow("bad trailer") << good.left(good.size() - 1) + "?" << true << false
                                     << "Hmmm... Something went wrong in the reading of the file. Attempting to "
                                        "continue anyway...";
    }

    void foreignFilesEndOrWarn()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, loggedIn);
        QFETCH(bool, mustEnd);
        QFETCH(QString, text);
        const QString file = m_dir->filePath(QStringLiteral("dave.keyRing"));
        QVERIFY(writeFile(file, contents));

        Session session(m_dir->path());
        const auto outcome = session.login(QStringLiteral("dave"), QStringLiteral("pw"));
        QCOMPARE(outcome.succeeded(), loggedIn);
        QCOMPARE(outcome.mustEnd, mustEnd);
        QCOMPARE(loggedIn ? outcome.warning : outcome.message, text);
        if (!loggedIn)
            QCOMPARE(outcome.status, Session::Outcome::Status::UnusableKeyRing);
        QCOMPARE(fileBytes(file), contents);
    }

    void damagedKeyRingIsKeptBesideTheFirstSave()
    {
        const QString file = m_dir->filePath(QStringLiteral("erin.keyRing"));
        QByteArray damaged = serialized("pw");
        damaged.chop(5);
        QVERIFY(writeFile(file, damaged));

        Session session(m_dir->path());
        QVERIFY(session.login(QStringLiteral("erin"), QStringLiteral("pw")).succeeded());
        QCOMPARE(session.keyTable().keyCount(), 1);
        QVERIFY(session.save());
        QCOMPARE(fileBytes(file + QStringLiteral(".bak")), damaged);
        const KeyRingReadResult again = readKeyRing(file);
        QCOMPARE(again.status, KeyRingReadResult::Status::Ok);
        QCOMPARE(again.table.keyCount(), 1);
    }

    void secondLoginSavesTheFirstAndReplacesTheTable()
    {
        Session session(m_dir->path());
        QVERIFY(session.createUser(QStringLiteral("ann"), QStringLiteral("a-pass")).succeeded());
        addKey(session, "ann's key", "1");
        QVERIFY(session.createUser(QStringLiteral("ben"), QStringLiteral("b-pass")).succeeded());
        addKey(session, "ben's key", "2");

        // A wrong password for another user leaves ben logged in with his table.
        QCOMPARE(session.login(QStringLiteral("ann"), QStringLiteral("b-pass")).status,
                 Session::Outcome::Status::IncorrectPassword);
        QCOMPARE(session.currentUserName(), QStringLiteral("ben"));
        QCOMPARE(session.keyTable().slot(1).name, QByteArray("ben's key"));

        QCOMPARE(session.login(QStringLiteral("ann"), QStringLiteral("a-pass")).status,
                 Session::Outcome::Status::LoggedIn);
        QCOMPARE(session.keyTable().keyCount(), 1);
        QCOMPARE(session.keyTable().slot(1).name, QByteArray("ann's key"));
        QCOMPARE(session.secret().key, hashPassword("a-pass"));

        // ben's key was saved when ann took over, under ben's own password.
        Session other(m_dir->path());
        QVERIFY(other.login(QStringLiteral("ben"), QStringLiteral("b-pass"), Session::LockMode::None).succeeded());
        QCOMPARE(other.keyTable().keyCount(), 1);
        QCOMPARE(other.keyTable().slot(1).name, QByteArray("ben's key"));

        // The same user again reads nothing: the table in memory stays as it is.
        addKey(session, "unsaved", "3");
        QCOMPARE(session.login(QStringLiteral("ann"), QStringLiteral("wrong")).status,
                 Session::Outcome::Status::IncorrectPassword);
        QCOMPARE(session.login(QStringLiteral("ann"), QStringLiteral("a-pass")).status,
                 Session::Outcome::Status::AlreadyLoggedIn);
        QCOMPARE(session.keyTable().keyCount(), 2);
    }

    void newUserRefusals_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("existing file") << "Bob"
                                       << "x"
                                       << "User already exists! (Bob.keyRing)";
        QTest::newRow("same file name") << "B.o.b"
                                        << "x"
                                        << "User already exists! (Bob.keyRing)";
        QTest::newRow("empty password") << "Newcomer"
                                        << ""
                                        << "The master password must not be empty.";
        QTest::newRow("long password") << "Newcomer" << QString(217, QLatin1Char('p'))
                                       << "The master password may be at most 216 characters long.";
        QTest::newRow("no file name")
            << "..."
            << "x"
            << "The user name \"...\" holds no letter, digit, \"-\", \"_\" or \"~\" to name a "
               "key ring file after.";
        // The user list quotes names unescaped, one a line: these would list other names than the one typed.
        const QString listBreaker = QStringLiteral("A user name may not hold a double quote, a line break or another "
                                                   "control character.");
        QTest::newRow("quote") << "x\"y"
                               << "x" << listBreaker;
        QTest::newRow("line break into another name") << "x\"\r\n\"evil"
                                                      << "x" << listBreaker;
        QTest::newRow("line feed") << "x\ny"
                                   << "x" << listBreaker;
        QTest::newRow("escape") << "x\x1b[2Jy"
                                << "x" << listBreaker;
        QTest::newRow("outside the code page") << QStringLiteral("\u03a9mega") << "x"
                                               << "The user name holds characters the user list cannot store.";
        // Its key ring would be the export file, which any user's Export overwrites.
        for (const char* name : {"tessary", "TESSARY", "Tes Sary!"})
            QTest::addRow("export file: %s", name)
                << QString::fromLatin1(name) << "x"
                << QStringLiteral("The user name %1 would share its key ring with the export file tessary.keyRing; "
                                  "choose another.")
                       .arg(QString::fromLatin1(name));
        QTest::newRow("password outside the code page")
            << "Newcomer" << QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c")
            << "The master password holds characters a key ring cannot store; use letters, digits and the "
               "punctuation of Western European languages.";
    }

    void aPasswordOutsideTheCodePageOpensNothing()
    {
        // Six Cyrillic letters would have been six '?', the password of this user.
        QVERIFY(Session(m_dir->path()).createUser(QStringLiteral("ivan"), QStringLiteral("??????")).succeeded());
        Session session(m_dir->path());
        const auto outcome =
            session.login(QStringLiteral("ivan"), QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c"));
        QCOMPARE(outcome.status, Session::Outcome::Status::IncorrectPassword);
        QVERIFY(!session.isLoggedIn());
        QVERIFY(session.login(QStringLiteral("ivan"), QStringLiteral("??????")).succeeded());
    }

    void anInterruptedNewUserIsFinishedByTheSameName()
    {
        // Listed, but stopped before its key ring was made.
        const QString list = m_dir->filePath(QStringLiteral("Tessary.UserList"));
        QCOMPARE(addUser(list, QStringLiteral("dora")).status, UserAddition::Status::Added);
        {
            Session session(m_dir->path());
            QVERIFY(session.createUser(QStringLiteral("dora"), QStringLiteral("pw")).succeeded());
        }
        QCOMPARE(readUserList(list), QStringList{QStringLiteral("dora")});
        QVERIFY(Session(m_dir->path()).login(QStringLiteral("dora"), QStringLiteral("pw")).succeeded());

        // Another name for the same file is still someone else's.
        QCOMPARE(addUser(list, QStringLiteral("eve")).status, UserAddition::Status::Added);
        const auto outcome = Session(m_dir->path()).createUser(QStringLiteral("e.v.e"), QStringLiteral("pw"));
        QCOMPARE(outcome.message, QStringLiteral("User already exists! (eve.keyRing)"));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("eve.keyRing"))));
        QCOMPARE(readUserList(list).size(), 2);
    }

    void newUserRefusals()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QVERIFY(createKeyRing(m_dir->filePath(QStringLiteral("Bob.keyRing")), "pw"));
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);

        Session session(m_dir->path());
        const auto outcome = session.createUser(user, password);
        QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
        QCOMPARE(outcome.message, message);
        QVERIFY(!session.isLoggedIn());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
    }

    void aUserListThatCannotBeWrittenLeavesNoKeyRing()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Tessary.UserList")));
        Session session(m_dir->path());
        const auto outcome = session.createUser(QStringLiteral("hal"), QStringLiteral("pw"));
        QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
        QVERIFY(outcome.message.startsWith(QStringLiteral("Cannot write")));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("hal.keyRing"))));
        QVERIFY(!session.isLoggedIn());
    }

    void longestPasswordIsAccepted()
    {
        Session session(m_dir->path());
        QVERIFY(session.createUser(QStringLiteral("max"), QString(216, QLatin1Char('p'))).succeeded());
    }

    void aHeldLockRefusesTheLoginAndTheSave()
    {
        Session desktop(m_dir->path());
        QVERIFY(desktop.createUser(QStringLiteral("fay"), QStringLiteral("pw")).succeeded());

        Session cli(m_dir->path());
        const auto outcome = cli.login(QStringLiteral("fay"), QStringLiteral("pw"));
        QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
        QCOMPARE(outcome.message, QStringLiteral("The key ring fay.keyRing is in use by another Tessary program "
                                                 "(process %1). Close it there first.")
                                      .arg(QCoreApplication::applicationPid()));
        QVERIFY(cli.login(QStringLiteral("fay"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QString error;
        QVERIFY(!cli.save(&error));
        QCOMPARE(error, outcome.message);
    }

    void exportWritesTheRingUnderTheUsersDigest()
    {
        Session session(m_dir->path());
        QVERIFY(session.createUser(QStringLiteral("gus"), QStringLiteral("pw")).succeeded());
        QVERIFY(session.exportKeyRing());
        const QByteArray exported = fileBytes(m_dir->filePath(QStringLiteral("tessary.keyRing")));
        QCOMPARE(exported.size(), 82);
        QCOMPARE(exported, fileBytes(m_dir->filePath(QStringLiteral("gus.keyRing"))));
    }

    // Every change of one key, each saved at once, and what a failed save leaves.
    void keyChanges_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"rename", "edit", "remove", "undo"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }

    void keyChanges()
    {
        QFETCH(QString, change);
        Session session(m_dir->path());
        QVERIFY(session.createUser(QStringLiteral("ivy"), QStringLiteral("pw")).succeeded());
        for (const char* name : {"one", "two", "three"})
            addKey(session, name, "secret");
        QVERIFY(session.save());
        if (change == QLatin1String("undo"))
            QVERIFY(session.removeKey(2));
        const QString ring = m_dir->filePath(QStringLiteral("ivy.keyRing"));
        const QByteArray before = fileBytes(ring);
        const KeyTable tableBefore = session.keyTable();

        auto apply = [&](QString* error) {
            if (change == QLatin1String("rename"))
                return session.renameKey(2, "deux", error);
            if (change == QLatin1String("edit")) {
                KeyChange edit;
                edit.url = "https://two.example";
                return session.changeKey(2, edit, error);
            }
            if (change == QLatin1String("remove"))
                return session.removeKey(2, error);
            return session.undoRemove(error) == 2;
        };
        {
            // A save that fails half-way: the table is put back as the file still is.
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            QString error;
            QVERIFY(!apply(&error));
            QVERIFY2(error.contains(QStringLiteral("could not be saved")), qPrintable(error));
        }
        QCOMPARE(fileBytes(ring), before);
        QCOMPARE(session.keyTable().keyCount(), tableBefore.keyCount());
        for (int slot = 1; slot <= tableBefore.keyCount(); ++slot)
            QCOMPARE(session.keyTable().slot(slot), tableBefore.slot(slot));
        QCOMPARE(session.canUndoRemove(), change == QLatin1String("undo"));

        // The same change with room to write: in the file at once, as in memory.
        QVERIFY(apply(nullptr));
        QVERIFY(fileBytes(ring) != before);
        Session reader(m_dir->path());
        QVERIFY(reader.login(QStringLiteral("ivy"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QCOMPARE(reader.keyTable().keyCount(), session.keyTable().keyCount());
        for (int slot = 1; slot <= session.keyTable().keyCount(); ++slot)
            QCOMPARE(reader.keyTable().slot(slot), session.keyTable().slot(slot));
    }

    void undoRemoveBringsTheKeyBackByteForByte()
    {
        Session session(m_dir->path());
        QVERIFY(session.createUser(QStringLiteral("jo"), QStringLiteral("pw")).succeeded());
        for (const char* name : {"one", "two", "three"})
            addKey(session, name, "secret");
        QVERIFY(session.save());
        const QString ring = m_dir->filePath(QStringLiteral("jo.keyRing"));
        const QByteArray file = fileBytes(ring);
        const KeyRecord two = session.keyTable().slot(2);

        QVERIFY(session.removeKey(2));
        QVERIFY(fileBytes(ring) != file);
        QCOMPARE(session.removedKeyName(), QByteArray("two"));
        QCOMPARE(session.undoRemove(), 2);
        // Salt and stamp as they were, so the file is the same bytes as before the delete.
        QCOMPARE(session.keyTable().slot(2), two);
        QCOMPARE(fileBytes(ring), file);
        QString error;
        // A key of that name made since: refused, and the deleted one stays held.
        QVERIFY(session.removeKey(2));
        KeyRecord again;
        again.name = "two";
        QCOMPARE(session.keyTable().addKey(again), KeyTable::AddResult::Added);
        QCOMPARE(session.undoRemove(&error), 0);
        QCOMPARE(error, namesMustBeUniqueMessage());
        QVERIFY(session.canUndoRemove());

        // Another user's login lets go of it.
        QVERIFY(session.createUser(QStringLiteral("kim"), QStringLiteral("pw")).succeeded());
        QVERIFY(!session.canUndoRemove());
        QVERIFY(session.removedKeyName().isEmpty());
    }

    // The lock: what the table holds beyond its file is saved first, even a save that fails ends the session,
    // and afterwards nothing of the login is held and the key ring is free for another writer.
    void logOut_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QList<QByteArray>>("stored");
        QTest::newRow("nothing unsaved: the file is not written") << "none" << true << QList<QByteArray>{"one"};
        QTest::newRow("a change past the save") << "unsaved" << true << QList<QByteArray>{"one", "two"};
        QTest::newRow("the save refused: the change is lost") << "refused" << false << QList<QByteArray>{"one"};
    }

    void logOut()
    {
        QFETCH(QString, before);
        QFETCH(bool, saved);
        QFETCH(QList<QByteArray>, stored);
        const QString ring = m_dir->filePath(QStringLiteral("lee.keyRing"));
        Session session(m_dir->path());
        QVERIFY(session.createUser(QStringLiteral("lee"), QStringLiteral("pw")).succeeded());
        addKey(session, "one", "secret-one");
        addKey(session, "gone", "x");
        QVERIFY(session.save());
        QVERIFY(session.removeKey(2)); // held for Undo Delete
        QVERIFY(!session.hasUnsavedChanges());
        const QByteArray file = fileBytes(ring);
        if (before != QLatin1String("none")) {
            addKey(session, "two", "secret-two");
            QVERIFY(session.hasUnsavedChanges());
        }
        if (before == QLatin1String("refused")) {
            // Another file put in its place since: a save refuses to write over it.
            QVERIFY(QFile::rename(ring, ring + QStringLiteral(".old")));
            QVERIFY(QFile::copy(ring + QStringLiteral(".old"), ring));
        }
        QString error;
        QCOMPARE(session.logOut(&error), saved);
        QCOMPARE(error.isEmpty(), saved);
        QVERIFY(!session.isLoggedIn());
        QVERIFY(session.secret().password.isEmpty() && session.secret().key.isEmpty());
        QCOMPARE(session.keyTable().keyCount(), 0);
        QVERIFY(session.keyTable().slot(1).name.isEmpty() && session.keyTable().slot(1).password.isEmpty());
        QVERIFY(!session.canUndoRemove());
        QVERIFY(session.keyRing().storedDigest.isEmpty());
        if (before == QLatin1String("none"))
            QCOMPARE(fileBytes(ring), file);
        FileLock other(ring);
        QVERIFY(other.tryLock(std::chrono::milliseconds(0)));
        other.unlock();

        // A login reads the file afresh.
        QVERIFY(session.login(QStringLiteral("lee"), QStringLiteral("pw")).status ==
                Session::Outcome::Status::LoggedIn);
        QList<QByteArray> names;
        for (int slot = 1; slot <= session.keyTable().keyCount(); ++slot)
            names.append(session.keyTable().slot(slot).name);
        QCOMPARE(names, stored);
    }

private:
    // A one-key ring for `password`, as bytes.
    static QByteArray serialized(const QByteArray& password)
    {
        KeyTable table;
        KeyRecord record;
        record.name = "only";
        record.password = "secret";
        table.addKey(record);
        const QByteArray digest = hashPassword(password);
        return serializeKeyRing(table, digest, MasterSecret{password, digest});
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
