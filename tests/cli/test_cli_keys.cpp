#include "cli_runner.h"

#include "app/session.h"
#include "crypto/password_hash.h"
#include "storage/file_lock.h"
#include "storage/key_fields.h"
#include "storage/key_ring_file.h"
#include "storage/ole_date.h"
#include "storage/user_list.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tessary;

namespace {

QByteArray line(const QString& text)
{
    return text.toUtf8() + '\n';
}

// The records of a key ring file as stored (text fields enciphered, dates and salts in clear).
KeyTable storedTable(const QString& path)
{
    return readKeyRing(path).table;
}

QString stamp(const KeyRecord& record)
{
    return creationStamp(record, QLocale::c());
}

} // namespace

class TestCliKeys : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void createUser_data();
    void createUser();
    void crlfEndsTheLine();
    void addListShow();
    void refusals_data();
    void refusals();
    void editChangesOnlyGivenFields();
    void editPasswordGivesAFreshSalt();
    void passwdReenciphersEveryKey();
    void renameKeepsTheKey();
    void removeFirstOfThree();
    void exportWritesTheSameKeyRing();
    void fullKeyRing();
    void lockedKeyRing();
    void damagedKeyRing();
    void foreignFileNeedsNoPassword();
    void users();
    void audit();
    void directories();

private:
    CliRun cli(QStringList arguments, const QByteArray& input = {})
    {
        return runCli(QStringList{QStringLiteral("--dir"), m_dir->path()} + arguments, input);
    }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void makeAnn(const QStringList& keys);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliKeys::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// User Ann, master password "pw", with keys whose passwords are their names in lower case.
void TestCliKeys::makeAnn(const QStringList& keys)
{
    QCOMPARE(cli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\n").exitCode, 0);
    for (const QString& key : keys) {
        const CliRun run = cli({QStringLiteral("add"), QStringLiteral("Ann"), key}, "pw\n" + line(key.toLower()));
        QVERIFY2(run.exitCode == 0, run.err.constData());
    }
}

void TestCliKeys::createUser_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("error"); // empty: created

    QTest::newRow("new user") << QString() << QStringLiteral("Bob Smith") << QByteArray("secret\n") << QString();
    QTest::newRow("216-character password") << QString() << QStringLiteral("Bob") << QByteArray(216, 'p') + '\n'
                                            << QString();
    QTest::newRow("same file name") << QStringLiteral("Bob") << QStringLiteral("B.o.b") << QByteArray("x\n")
                                    << QStringLiteral("User already exists! (Bob.keyRing)");
    QTest::newRow("no allowed character") << QString() << QStringLiteral("!!!") << QByteArray("x\n")
                                          << noFileNameMessage(QStringLiteral("!!!"));
    QTest::newRow("name outside the code page")
        << QString() << QStringLiteral("Bob Кофе") << QByteArray("x\n")
        << QStringLiteral("The user name holds characters the user list cannot store.");
    QTest::newRow("empty password") << QString() << QStringLiteral("Bob") << QByteArray("\n")
                                    << emptyMasterPasswordMessage();
    QTest::newRow("no input at all") << QString() << QStringLiteral("Bob") << QByteArray()
                                     << emptyMasterPasswordMessage();
    QTest::newRow("217-character password") << QString() << QStringLiteral("Bob") << QByteArray(217, 'p') + '\n'
                                            << longMasterPasswordMessage();
}

void TestCliKeys::createUser()
{
    QFETCH(QString, existing);
    QFETCH(QString, name);
    QFETCH(QByteArray, input);
    QFETCH(QString, error);

    if (!existing.isEmpty())
        QCOMPARE(cli({QStringLiteral("create-user"), existing}, "pw\n").exitCode, 0);
    const auto before = snapshot(m_dir->path());
    const CliRun run = cli({QStringLiteral("create-user"), name}, input);
    if (!error.isEmpty()) {
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, line(error));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(snapshot(m_dir->path()), before);
        return;
    }
    const QString fileName = keyRingFileName(name);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, line(fileName));
    QVERIFY(run.err.isEmpty());
    const QByteArray ring = fileBytes(path(fileName));
    QCOMPARE(ring.size(), 82);
    QVERIFY(ring.startsWith("TESSARYv0.1A"));
    QCOMPARE(ring.mid(12, 16), hashPassword(input.chopped(1)));
    QCOMPARE(fileBytes(path(QStringLiteral("Tessary.UserList"))), '"' + name.toUtf8() + "\"\r\n");
}

void TestCliKeys::crlfEndsTheLine()
{
    QCOMPARE(cli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\r\n").exitCode, 0);
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "pw\nkey\r\n").exitCode, 0);
    const CliRun run =
        cli({QStringLiteral("show"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("--show-password")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("\nPassword: key\n"), run.out.constData());
}

void TestCliKeys::addListShow()
{
    QCOMPARE(cli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\n").exitCode, 0);
    CliRun run = cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("--username"),
                      QStringLiteral("ann"), QStringLiteral("--url"), QStringLiteral("example.com"),
                      QStringLiteral("--notes"), QStringLiteral("two\nlines")},
                     "pw\nkeypw\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty() && run.err.isEmpty());
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("Café"), QStringLiteral("--url"),
                  QStringLiteral("HTTPS://bank")},
                 "pw\n\xc3\xa9t\xc3\xa9\n")
                 .exitCode,
             0);

    const KeyTable stored = storedTable(path(QStringLiteral("Ann.keyRing")));
    QCOMPARE(stored.keyCount(), 2);
    run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, line(QStringLiteral("Mail\thttp://example.com\tann\t") + stamp(stored.slot(1))) +
                          line(QStringLiteral("Café\tHTTPS://bank\t\t") + stamp(stored.slot(2))));
    QVERIFY(run.err.isEmpty());

    run = cli({QStringLiteral("show"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("--show-password")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    // The notes' line break is stored as CR LF, as the windows store it, and shown escaped, so each field stays one
    // line.
    QCOMPARE(run.out, line(QStringLiteral("Keyname: Mail")) + line(QStringLiteral("Username: ann")) +
                          line(QStringLiteral("URL: http://example.com")) +
                          line(QStringLiteral("Created: ") + stamp(stored.slot(1))) +
                          line(QStringLiteral("Password: keypw")) + line(QStringLiteral("Key Description: two\\r\\nlines")));

    run = cli({QStringLiteral("show"), QStringLiteral("Ann"), QStringLiteral("Café"), QStringLiteral("--json"), QStringLiteral("--show-password")},
              "pw\n");
    QCOMPARE(run.exitCode, 0);
    const QJsonObject key = QJsonDocument::fromJson(run.out).object();
    const KeyRecord& cafe = stored.slot(2);
    QCOMPARE(key.value(QStringLiteral("name")).toString(), QStringLiteral("Café"));
    QCOMPARE(key.value(QStringLiteral("userName")).toString(), QString());
    QCOMPARE(key.value(QStringLiteral("url")).toString(), QStringLiteral("HTTPS://bank"));
    QCOMPARE(key.value(QStringLiteral("description")).toString(), QString());
    // The wizard's buffer: the password, a NUL, then blanks up to 128 characters.
    QCOMPARE(key.value(QStringLiteral("password")).toString(),
             QStringLiteral("été") + QChar(u'\0') + QString(124, u' '));
    QCOMPARE(key.value(QStringLiteral("dateCreated")).toDouble(), cafe.dateCreated);
    QCOMPARE(key.value(QStringLiteral("timeCreated")).toDouble(), cafe.timeCreated);
    QCOMPARE(key.value(QStringLiteral("created")).toString(),
             QDateTime(fromOleDate(cafe.dateCreated), fromOleTime(cafe.timeCreated)).toString(Qt::ISODate));
    QCOMPARE(key.value(QStringLiteral("salt")).toString(), QString::fromLatin1(cafe.salt.toHex()));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(key.value(QStringLiteral("salt")).toString()).hasMatch());

    run = cli({QStringLiteral("ls"), QStringLiteral("Ann"), QStringLiteral("--json"), QStringLiteral("--show-password")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    const QJsonArray keys = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(keys.size(), 2);
    QCOMPARE(keys.at(0).toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Mail"));
    QCOMPARE(keys.at(1).toObject(), key);
}

void TestCliKeys::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    const QString ann = QStringLiteral("Ann");
    const QString noKey = QStringLiteral("There is no key named \"Nope\".");
    const QString incorrect = QStringLiteral("Incorrect Password!");
    QTest::newRow("add, wrong password") << QStringList{QStringLiteral("add"), ann, QStringLiteral("New")}
                                         << QByteArray("nope\nk\n") << 1 << incorrect;
    QTest::newRow("add, duplicate name") << QStringList{QStringLiteral("add"), ann, QStringLiteral("Mail")}
                                         << QByteArray("pw\nk\n") << 1 << QStringLiteral("Names must be unique");
    QTest::newRow("add, empty name") << QStringList{QStringLiteral("add"), ann, QString()} << QByteArray("pw\nk\n")
                                     << 1 << emptyKeyNameMessage();
    QTest::newRow("add, 256-character name")
        << QStringList{QStringLiteral("add"), ann, QString(256, u'n')} << QByteArray("pw\nk\n") << 1
        << QStringLiteral("The key name may be at most 255 characters long. Nothing was written.");
    QTest::newRow("add, name outside the code page")
        << QStringList{QStringLiteral("add"), ann, QStringLiteral("Кофе")} << QByteArray("pw\nk\n") << 1
        << QStringLiteral("The key name holds characters a key ring cannot store (\"К\"). Nothing was written.");
    QTest::newRow("add, empty key password") << QStringList{QStringLiteral("add"), ann, QStringLiteral("New")}
                                             << QByteArray("pw\n\n") << 1
                                             << QStringLiteral("A key needs a password. Nothing was written.");
    QTest::newRow("add, no second line") << QStringList{QStringLiteral("add"), ann, QStringLiteral("New")}
                                         << QByteArray("pw\n") << 1
                                         << QStringLiteral("A key needs a password. Nothing was written.");
    QTest::newRow("add, 129-character key password")
        << QStringList{QStringLiteral("add"), ann, QStringLiteral("New")} << QByteArray("pw\n") + QByteArray(129, 'k') + '\n'
        << 1 << QStringLiteral("The password may be at most 128 characters long. Nothing was written.");
    QTest::newRow("add, unknown user") << QStringList{QStringLiteral("add"), QStringLiteral("Nobody"), QStringLiteral("X")}
                                       << QByteArray("pw\nk\n") << 1
                                       << QStringLiteral("Not a Tessary v0.1a file! (Nobody.keyRing) Please Report!");
    QTest::newRow("edit, no such key")
        << QStringList{QStringLiteral("edit"), ann, QStringLiteral("Nope"), QStringLiteral("--notes"), QStringLiteral("x")}
        << QByteArray("pw\n") << 1 << noKey;
    QTest::newRow("edit, wrong password")
        << QStringList{QStringLiteral("edit"), ann, QStringLiteral("Mail"), QStringLiteral("--notes"), QStringLiteral("x")}
        << QByteArray("PW\n") << 1 << incorrect;
    QTest::newRow("edit --password, empty")
        << QStringList{QStringLiteral("edit"), ann, QStringLiteral("Mail"), QStringLiteral("--password")}
        << QByteArray("pw\n\n") << 1 << QStringLiteral("A key needs a password. Nothing was written.");
    QTest::newRow("edit --password, 129 characters")
        << QStringList{QStringLiteral("edit"), ann, QStringLiteral("Mail"), QStringLiteral("--password")}
        << QByteArray("pw\n") + QByteArray(129, 'k') + '\n' << 1
        << QStringLiteral("The password may be at most 128 characters long. Nothing was written.");
    QTest::newRow("edit --password, outside the code page, not named")
        << QStringList{QStringLiteral("edit"), ann, QStringLiteral("Mail"), QStringLiteral("--password")}
        << QByteArray("pw\n\xd0\x96\n") << 1 << unstorableTextMessage(QStringLiteral("password"));
    QTest::newRow("passwd, wrong current password") << QStringList{QStringLiteral("passwd"), ann}
                                                    << QByteArray("nope\nnew\n") << 1 << incorrect;
    QTest::newRow("passwd, empty new password") << QStringList{QStringLiteral("passwd"), ann} << QByteArray("pw\n\n")
                                                << 1 << masterPasswordRefusal(QString());
    QTest::newRow("passwd, 217 characters") << QStringList{QStringLiteral("passwd"), ann}
                                            << QByteArray("pw\n") + QByteArray(217, 'p') + '\n' << 1
                                            << masterPasswordRefusal(QString(217, u'p'));
    QTest::newRow("passwd, outside the code page") << QStringList{QStringLiteral("passwd"), ann}
                                                   << QByteArray("pw\n\xd0\x96\n") << 1
                                                   << masterPasswordRefusal(QStringLiteral("\u0416"));
    QTest::newRow("rename to another key's name")
        << QStringList{QStringLiteral("rename"), ann, QStringLiteral("Mail"), QStringLiteral("Bank")}
        << QByteArray("pw\n") << 1 << QStringLiteral("Names must be unique");
    QTest::newRow("rename to an empty name")
        << QStringList{QStringLiteral("rename"), ann, QStringLiteral("Mail"), QString()} << QByteArray("pw\n") << 1
        << emptyKeyNameMessage();
    QTest::newRow("rename a missing key")
        << QStringList{QStringLiteral("rename"), ann, QStringLiteral("Nope"), QStringLiteral("X")} << QByteArray("pw\n")
        << 1 << noKey;
    QTest::newRow("rename to the same name")
        << QStringList{QStringLiteral("rename"), ann, QStringLiteral("Mail"), QStringLiteral("Mail")}
        << QByteArray("pw\n") << 0 << QString();
    QTest::newRow("rm, no such key") << QStringList{QStringLiteral("rm"), ann, QStringLiteral("Nope")}
                                     << QByteArray("pw\n") << 1 << noKey;
    QTest::newRow("rm, key name differs in case") << QStringList{QStringLiteral("rm"), ann, QStringLiteral("mail")}
                                                  << QByteArray("pw\n") << 1
                                                  << QStringLiteral("There is no key named \"mail\".");
    QTest::newRow("rm, name outside the code page is no '?'")
        << QStringList{QStringLiteral("rm"), ann, QStringLiteral("Ma\u0416l")} << QByteArray("pw\n") << 1
        << QStringLiteral("There is no key named \"Ma\u0416l\".");
    QTest::newRow("rm, wrong password") << QStringList{QStringLiteral("rm"), ann, QStringLiteral("Mail")}
                                        << QByteArray("\n") << 1 << incorrect;
    QTest::newRow("ls, wrong password") << QStringList{QStringLiteral("ls"), ann} << QByteArray("p\n") << 1
                                        << incorrect;
    QTest::newRow("show, no such key") << QStringList{QStringLiteral("show"), ann, QStringLiteral("Nope")}
                                       << QByteArray("pw\n") << 1 << noKey;
    QTest::newRow("export, wrong password") << QStringList{QStringLiteral("export"), ann} << QByteArray("x\n") << 1
                                            << incorrect;
}

void TestCliKeys::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, error);

    makeAnn({QStringLiteral("Mail"), QStringLiteral("Bank"), QStringLiteral("Ma?l")});
    const auto before = snapshot(m_dir->path());
    const CliRun run = cli(arguments, input);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.err, error.isEmpty() ? QByteArray() : line(error));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestCliKeys::editChangesOnlyGivenFields()
{
    QCOMPARE(cli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\n").exitCode, 0);
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("--username"),
                  QStringLiteral("ann"), QStringLiteral("--url"), QStringLiteral("http://mail"), QStringLiteral("--notes"),
                  QStringLiteral("old notes")},
                 "pw\nsecret\n")
                 .exitCode,
             0);
    CliRun run = cli({QStringLiteral("edit"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("--url"),
                      QStringLiteral("mail.example"), QStringLiteral("--username"), QString()},
                     "pw\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    run = cli({QStringLiteral("show"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("--json"), QStringLiteral("--show-password")},
              "pw\n");
    const QJsonObject key = QJsonDocument::fromJson(run.out).object();
    // The properties window stores a URL as typed: no "http://" is put in front.
    QCOMPARE(key.value(QStringLiteral("url")).toString(), QStringLiteral("mail.example"));
    QCOMPARE(key.value(QStringLiteral("userName")).toString(), QString());
    QCOMPARE(key.value(QStringLiteral("description")).toString(), QStringLiteral("old notes"));
    QVERIFY(key.value(QStringLiteral("password")).toString().startsWith(QStringLiteral("secret") + QChar(u'\0')));
}

void TestCliKeys::editPasswordGivesAFreshSalt()
{
    makeAnn({QStringLiteral("Mail"), QStringLiteral("Bank")});
    const KeyTable before = storedTable(path(QStringLiteral("Ann.keyRing")));
    const CliRun run = cli({QStringLiteral("edit"), QStringLiteral("Ann"), QStringLiteral("Mail"),
                            QStringLiteral("--password")},
                           "pw\n" + QByteArray(128, 'n') + '\n');
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    const KeyTable after = storedTable(path(QStringLiteral("Ann.keyRing")));
    QVERIFY(after.slot(1).salt != before.slot(1).salt);
    QCOMPARE(after.slot(2), before.slot(2)); // the other key keeps its bytes
    QCOMPARE(after.slot(1).dateCreated, before.slot(1).dateCreated);

    Session reader(m_dir->path());
    QVERIFY(reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
    // 128 characters fill the buffer: no NUL, no padding.
    QCOMPARE(reader.keyTable().slot(1).password, QByteArray(128, 'n'));
    QCOMPARE(reader.keyTable().slot(1).name, QByteArray("Mail"));
}

void TestCliKeys::passwdReenciphersEveryKey()
{
    makeAnn({QStringLiteral("Mail"), QStringLiteral("Bank")});
    Session before(m_dir->path());
    QVERIFY(before.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());

    CliRun run = cli({QStringLiteral("passwd"), QStringLiteral("Ann")}, "pw\nnew secret\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    QCOMPARE(storedTable(path(QStringLiteral("Ann.keyRing"))).keyCount(), 2);
    QCOMPARE(readKeyRing(path(QStringLiteral("Ann.keyRing"))).storedDigest, hashPassword("new secret"));

    Session after(m_dir->path());
    QVERIFY(after.login(QStringLiteral("Ann"), QStringLiteral("new secret"), Session::LockMode::None).succeeded());
    QCOMPARE(after.keyTable().keyCount(), 2);
    for (int slot = 1; slot <= 2; ++slot)
        QCOMPARE(after.keyTable().slot(slot), before.keyTable().slot(slot));
    run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, line(QStringLiteral("Incorrect Password!")));
}

void TestCliKeys::renameKeepsTheKey()
{
    makeAnn({QStringLiteral("Mail"), QStringLiteral("Bank")});
    QCOMPARE(cli({QStringLiteral("rename"), QStringLiteral("Ann"), QStringLiteral("Mail"), QStringLiteral("Post")},
                 "pw\n")
                 .exitCode,
             0);
    CliRun run = cli({QStringLiteral("show"), QStringLiteral("Ann"), QStringLiteral("Post"), QStringLiteral("--show-password")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("\nPassword: mail\n"));
    run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    QVERIFY2(run.out.startsWith("Post\t") && run.out.contains("\nBank\t"), run.out.constData());
}

void TestCliKeys::removeFirstOfThree()
{
    makeAnn({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    const CliRun removed = cli({QStringLiteral("rm"), QStringLiteral("Ann"), QStringLiteral("One")}, "pw\n");
    QCOMPARE(removed.exitCode, 0);
    QVERIFY(removed.out.isEmpty() && removed.err.isEmpty());
    QCOMPARE(storedTable(path(QStringLiteral("Ann.keyRing"))).keyCount(), 2);
    const CliRun run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    const QList<QByteArray> lines = run.out.split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith("Two\t"));
    QVERIFY(lines.at(1).startsWith("Three\t"));
}

void TestCliKeys::exportWritesTheSameKeyRing()
{
    makeAnn({});
    CliRun run = cli({QStringLiteral("export"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(fileBytes(path(QStringLiteral("tessary.keyRing"))).size(), 82);

    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "pw\nk\n").exitCode, 0);
    run = cli({QStringLiteral("export"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty() && run.err.isEmpty());
    QCOMPARE(fileBytes(path(QStringLiteral("tessary.keyRing"))), fileBytes(path(QStringLiteral("Ann.keyRing"))));
}

void TestCliKeys::fullKeyRing()
{
    const QByteArray password("pw");
    const MasterSecret secret{password, hashPassword(password)};
    KeyTable table;
    for (int i = 1; i <= KeyTable::capacity; ++i) {
        KeyRecord record;
        record.name = "key " + QByteArray::number(i);
        record.password = "p";
        QCOMPARE(table.addKey(record), KeyTable::AddResult::Added);
    }
    QVERIFY(writeKeyRing(path(QStringLiteral("Ann.keyRing")), table, secret.key, secret));

    const auto before = snapshot(m_dir->path());
    CliRun run = cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("One more")}, "pw\nk\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, line(QStringLiteral("There is a maximum of 255 entries in this version of Tessary.")));
    QCOMPARE(snapshot(m_dir->path()), before);

    run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.count('\n'), 255);
    QVERIFY(run.out.endsWith(line(QStringLiteral("key 255\t\t\t") + stamp(table.slot(255)))));
}

void TestCliKeys::lockedKeyRing()
{
    makeAnn({QStringLiteral("Mail")});
    FileLock lock(path(QStringLiteral("Ann.keyRing")));
    QVERIFY(lock.tryLock());
    const auto before = snapshot(m_dir->path());

    CliRun run = cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("New")}, "pw\nk\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, line(keyRingInUseMessage(QStringLiteral("Ann.keyRing"), QCoreApplication::applicationPid())));
    run = cli({QStringLiteral("rm"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "pw\n");
    QCOMPARE(run.exitCode, 1);
    run = cli({QStringLiteral("passwd"), QStringLiteral("Ann")}, "pw\nnew\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, line(keyRingInUseMessage(QStringLiteral("Ann.keyRing"), QCoreApplication::applicationPid())));
    QCOMPARE(snapshot(m_dir->path()), before);

    run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith("Mail\t"));
}

void TestCliKeys::damagedKeyRing()
{
    makeAnn({QStringLiteral("Mail"), QStringLiteral("Bank")});
    const QString ring = path(QStringLiteral("Ann.keyRing"));
    QByteArray bytes = fileBytes(ring);
    bytes.chop(10); // into the trailer: both records are whole
    QVERIFY(writeFile(ring, bytes));
    const auto before = snapshot(m_dir->path());
    const QByteArray damaged = line(damagedKeyRingMessage());

    CliRun run = cli({QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, damaged);
    QCOMPARE(run.out.count('\n'), 2);

    run = cli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("New")}, "pw\nk\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, damaged + line(QStringLiteral("Ann.keyRing is damaged; tessary-cli changes no damaged key ring. "
                                                    "Nothing was written.")));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestCliKeys::foreignFileNeedsNoPassword()
{
    QVERIFY(writeFile(path(QStringLiteral("Ann.keyRing")), "just some text that is no key ring"));
    const auto before = snapshot(m_dir->path());
    for (const QString& command : {QStringLiteral("ls"), QStringLiteral("export")}) {
        const CliRun run = cli({command, QStringLiteral("Ann")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, line(QStringLiteral("Not a Tessary v0.1a file! (Ann.keyRing) Please Report!")));
    }
    const CliRun run = cli({QStringLiteral("rm"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "pw\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestCliKeys::users()
{
    CliRun run = cli({QStringLiteral("users")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
    for (const QString& name : {QStringLiteral("Bob Smith"), QStringLiteral("a, b"), QStringLiteral("Zoë")})
        QCOMPARE(cli({QStringLiteral("create-user"), name}, "pw\n").exitCode, 0);
    run = cli({QStringLiteral("users")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("Bob Smith\na, b\nZo\xc3\xab\n"));
    // Names written into the list by hand reach the terminal escaped.
    QFile list(path(QString::fromLatin1(userListFileName)));
    QVERIFY(list.open(QIODevice::Append));
    list.write("\"\x1b]0;owned\x07\tx\"\r\n");
    list.close();
    run = cli({QStringLiteral("users")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith("\n\\x1b]0;owned\\x07\\tx\n"));
}

void TestCliKeys::directories()
{
    // Without --dir the files are those of the data folder, wherever the tool is started.
    CliRun run = runCli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\n", m_dir->path());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(QFile::exists(path(QStringLiteral("Ann.keyRing"))));
    QVERIFY(!QFile::exists(QStringLiteral("Ann.keyRing")));

    run = runCli({QStringLiteral("--dir"), path(QStringLiteral("missing")), QStringLiteral("users")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, line(QStringLiteral("There is no directory ") + path(QStringLiteral("missing")) + u'.'));
}

void TestCliKeys::audit()
{
    const QByteArray strong = "Zp3$kW9!qLm2#vXt7&Hb";
    const QByteArray shared = "Vq8#mT2!xLp9$wRz4&Nc";
    QCOMPARE(cli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\n").exitCode, 0);
    CliRun run = cli({QStringLiteral("audit"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.out, line(QStringLiteral("0 of 0 keys need attention.")));
    const std::pair<const char*, QByteArray> keys[] = {
        {"Strong", strong}, {"Weak", "password"}, {"Twin1", shared}, {"Twin2", shared}};
    for (const auto& [name, password] : keys)
        QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("Ann"), QLatin1String(name)}, "pw\n" + password + '\n').exitCode,
                 0);

    run = cli({QStringLiteral("audit"), QStringLiteral("Ann")}, "pw\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, line(QStringLiteral("Weak\tweak")) + line(QStringLiteral("Twin1\treused")) +
                          line(QStringLiteral("Twin2\treused")) + line(QStringLiteral("3 of 4 keys need attention.")));

    // A breach list named relative to --dir; the JSON then gives every key its count.
    QVERIFY(writeFile(path(QStringLiteral("breaches.txt")), "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8:3861493\r\n"));
    run = cli({QStringLiteral("audit"), QStringLiteral("Ann"), QStringLiteral("--json"), QStringLiteral("--breached"),
               QStringLiteral("breaches.txt")},
              "pw\n");
    QCOMPARE(run.exitCode, 0);
    const QJsonArray report = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(report.size(), 4);
    QCOMPARE(report[1].toObject().value(QStringLiteral("reasons")).toArray(),
             (QJsonArray{QStringLiteral("weak"), QStringLiteral("breached")}));
    QCOMPARE(report[1].toObject().value(QStringLiteral("breachCount")).toInteger(), 3861493);
    QCOMPARE(report[0].toObject().value(QStringLiteral("breachCount")).toInteger(), 0);
    QCOMPARE(report[2].toObject().value(QStringLiteral("reusedWith")).toArray(), QJsonArray{QStringLiteral("Twin2")});
    QVERIFY(report[0].toObject().value(QStringLiteral("reasons")).toArray().isEmpty());
    for (const auto& [name, password] : keys)
        QVERIFY(!run.out.contains(password));

    run = cli({QStringLiteral("audit"), QStringLiteral("Ann"), QStringLiteral("--breached"), QStringLiteral("nowhere.txt")},
              "pw\n");
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("nowhere.txt"), run.err.constData());
    // Out of order, the bisection would call "password" unlisted: the list is refused instead.
    QByteArray reversed;
    for (int i = 0; i < 300; ++i)
        reversed.prepend(QByteArray::number(i, 16).rightJustified(40, '0') + ":1\r\n");
    QVERIFY(writeFile(path(QStringLiteral("reversed.txt")),
                      reversed + "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8:3861493\r\n"));
    run = cli({QStringLiteral("audit"), QStringLiteral("Ann"), QStringLiteral("--breached"), QStringLiteral("reversed.txt")},
              "pw\n");
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err, line(QStringLiteral("reversed.txt is not sorted by hash; sort it with `sort -t: -k1,1`")));
    run = cli({QStringLiteral("audit"), QStringLiteral("Ann")}, "PW\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, line(QStringLiteral("Incorrect Password!")));
}

QTEST_GUILESS_MAIN(TestCliKeys)
#include "test_cli_keys.moc"
