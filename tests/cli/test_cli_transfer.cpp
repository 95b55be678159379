// tessary-cli import and export against files of other password managers, and against the real KeePassXC: its
// own CSV and XML exports imported, and Tessary's XML export imported by it.
#include "cli_runner.h"

#include "app/session.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "transfer/xml_import.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamWriter>

#include <sys/stat.h>

using namespace tessary;

namespace {

struct Entry
{
    QString title, userName, password, url, notes;
    QDateTime created; // UTC
};

// The KeePassXC database the tests start from: Latin-1 text, passwords of 128 and 129 characters, empty fields,
// commas, quotes and line breaks in notes, a 300-character title, "Ж", a title given twice, none at all.
QList<Entry> fixture()
{
    const auto at = [](int year, int month, int day, int hour) {
        return QDateTime(QDate(year, month, day), QTime(hour, 4, 5), Qt::UTC);
    };
    return {
        {QStringLiteral("Café Müller"), QStringLiteral("jürgen"), QStringLiteral("pässwörd"),
         QStringLiteral("https://cafe.example/"), QStringLiteral("Grüße\nÀ bientôt"), at(2019, 1, 2, 3)},
        {QStringLiteral("P128"), QStringLiteral("u"), QString(128, QLatin1Char('a')), {}, {}, at(2019, 2, 3, 4)},
        {QStringLiteral("P129"), QStringLiteral("u"), QString(129, QLatin1Char('b')), {}, {}, at(2019, 3, 4, 5)},
        {QStringLiteral("Empty fields"), {}, QStringLiteral("only-this"), {}, {}, at(2019, 4, 5, 6)},
        {QStringLiteral("Notes, \"quoted\""), QStringLiteral("q"), QStringLiteral("p,\"w\""), {},
         QStringLiteral("one, \"two\"\nthree\n\nfour"), at(2019, 5, 6, 7)},
        {QString(300, QLatin1Char('T')), {}, QStringLiteral("long-title"), {}, {}, at(2019, 6, 7, 8)},
        {QStringLiteral("Ж"), {}, QStringLiteral("cyrillic"), {}, {}, at(2019, 7, 8, 9)},
        {QStringLiteral("Mail"), QStringLiteral("ann"), QStringLiteral("mail-1"), QStringLiteral("mailto:ann@example.org"),
         {}, at(2019, 8, 9, 10)},
        {QStringLiteral("Mail"), QStringLiteral("ann2"), QStringLiteral("mail-2"), QStringLiteral("mailto:ann@example.org"),
         {}, at(2019, 9, 10, 11)},
        {{}, QStringLiteral("hostless"), QStringLiteral("by-host"), QStringLiteral("https://host.example/login"), {},
         at(2019, 10, 11, 12)},
        {QStringLiteral("Tab\tand;semi"), QStringLiteral("t"), QStringLiteral("tab\tpw;"), QStringLiteral("ftp://f.example"),
         QStringLiteral("x"), at(2019, 11, 12, 13)},
        {QStringLiteral("Bank"), QStringLiteral("b"), QStringLiteral("€uro"), QStringLiteral("https://bank.example"),
         QStringLiteral("in a subgroup"), at(2020, 12, 13, 14)},
        {QStringLiteral("Empty password"), QStringLiteral("e"), {}, {}, {}, at(2021, 1, 14, 15)},
    };
}

// Refused by the import, with the reason named.
const QMap<QString, QString> refusals{
    {QStringLiteral("P129"), QStringLiteral("the password is longer than 128 characters")},
    {QString(300, QLatin1Char('T')), QStringLiteral("the name is longer than 255 characters")},
    {QStringLiteral("Ж"), QStringLiteral("the name holds \"Ж\", which a key ring cannot store")},
};

void writeEntry(QXmlStreamWriter& xml, const Entry& entry)
{
    xml.writeStartElement(QStringLiteral("Entry"));
    xml.writeStartElement(QStringLiteral("Times"));
    xml.writeTextElement(QStringLiteral("CreationTime"), entry.created.toString(Qt::ISODate));
    xml.writeEndElement();
    const std::pair<const char*, QString> strings[] = {{"Title", entry.title},     {"UserName", entry.userName},
                                                       {"Password", entry.password}, {"URL", entry.url},
                                                       {"Notes", entry.notes}};
    for (const auto& [key, value] : strings) {
        xml.writeStartElement(QStringLiteral("String"));
        xml.writeTextElement(QStringLiteral("Key"), QLatin1String(key));
        xml.writeTextElement(QStringLiteral("Value"), value);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// The fixture as KeePass XML for keepassxc-cli import; the last entry in a subgroup.
QByteArray fixtureXml()
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("KeePassFile"));
    xml.writeStartElement(QStringLiteral("Root"));
    xml.writeStartElement(QStringLiteral("Group"));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Root"));
    const QList<Entry> entries = fixture();
    for (qsizetype i = 0; i + 1 < entries.size(); ++i)
        writeEntry(xml, entries.at(i));
    xml.writeStartElement(QStringLiteral("Group"));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Sub"));
    writeEntry(xml, entries.last());
    xml.writeEndDocument();
    return bytes;
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString keePassXcCli()
{
    return QStandardPaths::findExecutable(QStringLiteral("keepassxc-cli"));
}

Run keePassXc(const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    process.start(keePassXcCli(), arguments);
    process.write(input);
    process.closeWriteChannel();
    Run run;
    if (process.waitForFinished(60'000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// `ls --json --show-password` of a user, by key name.
QMap<QString, QJsonObject> keysOf(const QString& user, const QByteArray& password)
{
    const CliRun run = runCli({QStringLiteral("ls"), user, QStringLiteral("--json"), QStringLiteral("--show-password")},
                              password + '\n');
    QMap<QString, QJsonObject> keys;
    for (const QJsonValue& value : QJsonDocument::fromJson(run.out).array())
        keys.insert(value[QStringLiteral("name")].toString(), value.toObject());
    return keys;
}

QString usable(const QJsonObject& key)
{
    return key[QStringLiteral("password")].toString().section(QChar(u'\0'), 0, 0);
}

QString localStamp(const QDateTime& utc)
{
    return utc.toLocalTime().toString(Qt::ISODate);
}

} // namespace

class TestCliTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void refusedRows_data();
    void refusedRows();
    void refusedFiles_data();
    void refusedFiles();
    void keyRingUnderAnotherPassword();
    void exportInClear_data();
    void exportInClear();
    void fromKeePassXc_data();
    void fromKeePassXc();
    void toKeePassXc();
    void csvExportReadBack();

private:
    void importFixture();

    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_keePass; // the fixture database and its exports, made once
};

void TestCliTransfer::initTestCase()
{
    // Creation times in another zone than UTC, so a stamp left in UTC shows.
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    if (keePassXcCli().isEmpty())
        return;
    const QString xml = m_keePass.filePath(QStringLiteral("fixture.xml"));
    const QString database = m_keePass.filePath(QStringLiteral("fixture.kdbx"));
    QVERIFY(writeFile(xml, fixtureXml()));
    const Run made = keePassXc({QStringLiteral("import"), QStringLiteral("-q"), QStringLiteral("-p"),
                                QStringLiteral("-t"), QStringLiteral("100"), xml, database},
                               "db\ndb\n");
    QVERIFY2(made.exitCode == 0, made.err.constData());
    for (const char* format : {"csv", "xml"}) {
        const Run exported = keePassXc(
            {QStringLiteral("export"), QStringLiteral("-q"), QStringLiteral("-f"), QLatin1String(format), database},
            "db\n");
        QVERIFY2(exported.exitCode == 0, exported.err.constData());
        QVERIFY(writeFile(m_keePass.filePath(QStringLiteral("keepassxc.") + QLatin1String(format)), exported.out));
    }
}

void TestCliTransfer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QCOMPARE(runCli({QStringLiteral("create-user"), QStringLiteral("Ann")}, "mpw\n").exitCode, 0);
    QCOMPARE(runCli({QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "mpw\nold\n").exitCode, 0);
}

void TestCliTransfer::refusedRows_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("keysAfter");

    QTest::newRow("any refused row: nothing written") << QStringList() << 1 << 1;
    QTest::newRow("--skip-refused writes the rest") << QStringList{QStringLiteral("--skip-refused")} << 0 << 3;
    QTest::newRow("--dry-run says what would be refused") << QStringList{QStringLiteral("--dry-run")} << 1 << 1;
    QTest::newRow("--dry-run --skip-refused writes nothing")
        << QStringList{QStringLiteral("--dry-run"), QStringLiteral("--skip-refused")} << 0 << 1;
}

void TestCliTransfer::refusedRows()
{
    QFETCH(QStringList, flags);
    QFETCH(int, exitCode);
    QFETCH(int, keysAfter);
    QVERIFY(writeFile(QStringLiteral("chrome.csv"), "name,url,username,password\n"
                                                    "Mail,https://mail.example,ann,pw1\n"
                                                    "Bank,https://bank.example,bob,\"" +
                                                        QByteArray(129, 'x') + "\"\n"
                                                    ",https://shop.example/cart,carl,pw3\n"));
    const auto before = snapshot(m_dir->path());
    const CliRun run = runCli(QStringList{QStringLiteral("import"), QStringLiteral("Ann"), QStringLiteral("chrome.csv")} +
                                  flags,
                              "mpw\n");
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("chrome.csv (Chrome CSV): 3 keys: 2 to import, 1 refused\n"
                                                        "line 2 \"Mail\": imported as \"Mail (2)\"\n"
                                                        "line 3 \"Bank\": refused: the password is longer than 128 "
                                                        "characters\n"));
    const QMap<QString, QJsonObject> keys = keysOf(QStringLiteral("Ann"), "mpw");
    QCOMPARE(keys.size(), keysAfter);
    if (keysAfter == 1) {
        QCOMPARE(snapshot(m_dir->path()), before);
        return;
    }
    QCOMPARE(keys.keys(), (QStringList{QStringLiteral("Mail"), QStringLiteral("Mail (2)"), QStringLiteral("shop.example")}));
    QCOMPARE(usable(keys.value(QStringLiteral("Mail"))), QStringLiteral("old"));
    QCOMPARE(usable(keys.value(QStringLiteral("Mail (2)"))), QStringLiteral("pw1"));
    QCOMPARE(keys.value(QStringLiteral("shop.example"))[QStringLiteral("url")].toString(),
             QStringLiteral("https://shop.example/cart"));
}

void TestCliTransfer::refusedFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error"); // a part of standard error

    const QByteArray csv = "name,url,username,password\na,b,c,d\n";
    const QStringList import{QStringLiteral("import"), QStringLiteral("Ann"), QStringLiteral("in.csv")};
    QTest::newRow("an unknown format") << import + QStringList{QStringLiteral("--format"), QStringLiteral("word")} << csv
                                       << QByteArray("mpw\n") << 2 << QStringLiteral("Unknown format word");
    QTest::newRow("no such file, said before any password")
        << QStringList{QStringLiteral("import"), QStringLiteral("Ann"), QStringLiteral("none.csv")} << csv
        << QByteArray() << 1 << QStringLiteral("There is no file none.csv. Nothing was read.");
    QTest::newRow("a wrong master password") << import << csv << QByteArray("wrong\n") << 1
                                             << QStringLiteral("Incorrect Password!");
    QTest::newRow("a file over 16 MiB") << import << QByteArray() << QByteArray("mpw\n") << 1
                                        << QStringLiteral("File too large");
    QTest::newRow("XML named as CSV") << import + QStringList{QStringLiteral("--format"), QStringLiteral("keepass-xml")}
                                      << csv << QByteArray("mpw\n") << 1
                                      << QStringLiteral("in.csv is not a KeePass XML file Tessary can read");
}

void TestCliTransfer::refusedFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QVERIFY(writeFile(QStringLiteral("in.csv"), file));
    if (file.isEmpty())
        QVERIFY(QFile::resize(QStringLiteral("in.csv"), 16 * 1024 * 1024 + 1));
    const auto before = snapshot(m_dir->path());
    const CliRun run = runCli(arguments, input);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(run.err).contains(error), run.err.constData());
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestCliTransfer::keyRingUnderAnotherPassword()
{
    QCOMPARE(runCli({QStringLiteral("create-user"), QStringLiteral("Bob")}, "bpw\n").exitCode, 0);
    QCOMPARE(runCli({QStringLiteral("add"), QStringLiteral("Bob"), QStringLiteral("Mail"), QStringLiteral("--notes"),
                     QStringLiteral("a\nb")},
                    "bpw\nbob-pw\n")
                 .exitCode,
             0);
    const QStringList import{QStringLiteral("import"), QStringLiteral("Ann"), QStringLiteral("Bob.keyRing"),
                             QStringLiteral("--skip-refused")};
    const CliRun wrong = runCli(import, "mpw\nmpw\n");
    QCOMPARE(wrong.exitCode, 1);
    QVERIFY(wrong.err.endsWith("Incorrect Password!\n"));
    const CliRun run = runCli(import, "mpw\nbpw\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("Bob.keyRing (Tessary key ring): 1 key: 1 to import, 0 refused\n"
                                 "key 1 \"Mail\": imported as \"Mail (2)\"\n"));
    const QMap<QString, QJsonObject> ann = keysOf(QStringLiteral("Ann"), "mpw");
    const QJsonObject bob = keysOf(QStringLiteral("Bob"), "bpw").value(QStringLiteral("Mail"));
    const QJsonObject imported = ann.value(QStringLiteral("Mail (2)"));
    QCOMPARE(usable(imported), QStringLiteral("bob-pw"));
    QCOMPARE(imported[QStringLiteral("description")], bob[QStringLiteral("description")]);
    QCOMPARE(imported[QStringLiteral("created")], bob[QStringLiteral("created")]);
    QVERIFY(imported[QStringLiteral("salt")] != bob[QStringLiteral("salt")]);
}

void TestCliTransfer::exportInClear_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("planted"); // at out.file: "", "file" or "link"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    const QStringList csv{QStringLiteral("--format"), QStringLiteral("keepassxc-csv"), QStringLiteral("--output"),
                          QStringLiteral("out.file")};
    QTest::newRow("CSV to a new file") << csv << QString() << 0 << QStringLiteral("The file is not enciphered");
    QTest::newRow("XML to a new file") << QStringList{QStringLiteral("--format"), QStringLiteral("keepass-xml"),
                                                      QStringLiteral("--output"), QStringLiteral("out.file")}
                                       << QString() << 0 << QStringLiteral("1 keys written to out.file as KeePass 2 XML");
    QTest::newRow("a file that exists") << csv << QStringLiteral("file") << 1 << QStringLiteral("it exists already");
    QTest::newRow("a link, never written through") << csv << QStringLiteral("link") << 1
                                                   << QStringLiteral("it exists already");
    QTest::newRow("CSV needs --output") << QStringList{QStringLiteral("--format"), QStringLiteral("keepassxc-csv")}
                                        << QString() << 2 << QStringLiteral("keepassxc-csv needs --output FILE");
    QTest::newRow("the key ring's own format has its own file")
        << QStringList{QStringLiteral("--output"), QStringLiteral("out.file")} << QString() << 2
        << QStringLiteral("--output is for keepassxc-csv and keepass-xml");
    QTest::newRow("an unknown format") << QStringList{QStringLiteral("--format"), QStringLiteral("chrome-csv")}
                                       << QString() << 2 << QStringLiteral("Unknown export format chrome-csv");
}

void TestCliTransfer::exportInClear()
{
    QFETCH(QStringList, options);
    QFETCH(QString, planted);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    // The tool is started in another folder than the data folder: the file is where the user's shell meant it.
    QTemporaryDir elsewhere;
    const QString out = elsewhere.filePath(QStringLiteral("out.file"));
    const QString target = m_dir->filePath(QStringLiteral("target"));
    if (planted == QLatin1String("file"))
        QVERIFY(writeFile(out, "mine"));
    if (planted == QLatin1String("link"))
        QVERIFY(writeFile(target, "mine") && QFile::link(target, out));
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    const CliRun run = runCli(QStringList{QStringLiteral("export"), QStringLiteral("Ann")} + options, "mpw\n",
                              m_dir->path());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(run.err).contains(error), run.err.constData());
    if (!planted.isEmpty()) {
        QCOMPARE(fileBytes(planted == QLatin1String("link") ? target : out), QByteArray("mine"));
    } else if (exitCode == 0) {
        QVERIFY(fileBytes(out).contains("old"));
        struct stat status = {};
        QCOMPARE(::lstat(QFile::encodeName(out).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);
    }
}

void TestCliTransfer::fromKeePassXc_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("label");
    QTest::newRow("KeePassXC's CSV") << QStringLiteral("keepassxc.csv") << QStringLiteral("line");
    QTest::newRow("KeePassXC's XML") << QStringLiteral("keepassxc.xml") << QStringLiteral("entry");
}

void TestCliTransfer::fromKeePassXc()
{
    if (keePassXcCli().isEmpty())
        QSKIP("keepassxc-cli is not installed (Debian: keepassxc); the KeePassXC round trips are not run");
    QFETCH(QString, file);
    QFETCH(QString, label);
    QCOMPARE(runCli({QStringLiteral("rm"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "mpw\n").exitCode, 0);
    const CliRun run = runCli({QStringLiteral("import"), QStringLiteral("Ann"), m_keePass.filePath(file),
                               QStringLiteral("--skip-refused")},
                              "mpw\n");
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString report = QString::fromUtf8(run.out);
    QVERIFY2(report.contains(QStringLiteral(": 13 keys: 10 to import, 3 refused\n")), qPrintable(report));
    for (auto refusal = refusals.begin(); refusal != refusals.end(); ++refusal) {
        const QRegularExpression line(QStringLiteral("\n%1 \\d+ \"%2\": refused: %3\n")
                                          .arg(label, QRegularExpression::escape(refusal.key()),
                                               QRegularExpression::escape(refusal.value())));
        QVERIFY2(line.match(report).hasMatch(), qPrintable(refusal.value()));
    }

    // Every importable entry is a key with every field equal, found by its password (each is different).
    const QMap<QString, QJsonObject> keys = keysOf(QStringLiteral("Ann"), "mpw");
    QCOMPARE(keys.size(), 10);
    QSet<QString> seen;
    for (const Entry& entry : fixture()) {
        if (refusals.contains(entry.title))
            continue;
        const auto key = std::find_if(keys.begin(), keys.end(),
                                      [&entry](const QJsonObject& k) { return usable(k) == entry.password; });
        QVERIFY2(key != keys.end(), qPrintable(entry.title));
        const QString name = key.key();
        const QString expectedName = entry.title.isEmpty() ? QStringLiteral("host.example") : entry.title;
        QVERIFY2(name == expectedName || name == expectedName + QStringLiteral(" (2)"), qPrintable(name));
        QVERIFY(!seen.contains(name));
        seen.insert(name);
        QCOMPARE((*key)[QStringLiteral("userName")].toString(), entry.userName);
        QCOMPARE((*key)[QStringLiteral("url")].toString(), entry.url);
        QCOMPARE((*key)[QStringLiteral("description")].toString(), QString(entry.notes).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
        QCOMPARE((*key)[QStringLiteral("created")].toString(), localStamp(entry.created));
        QCOMPARE((*key)[QStringLiteral("password")].toString().size(), passwordBufferSize);
    }
    QVERIFY(seen.contains(QStringLiteral("Mail")) && seen.contains(QStringLiteral("Mail (2)")));
}

void TestCliTransfer::importFixture()
{
    QCOMPARE(runCli({QStringLiteral("rm"), QStringLiteral("Ann"), QStringLiteral("Mail")}, "mpw\n").exitCode, 0);
    // Made by Tessary itself, so the test does not hang on KeePassXC: the fixture without what a key cannot hold.
    Session session(m_dir->path());
    QVERIFY(session.login(QStringLiteral("Ann"), QStringLiteral("mpw")).succeeded());
    for (const Entry& entry : fixture()) {
        if (refusals.contains(entry.title) || entry.title.isEmpty() || entry.password == QLatin1String("mail-2"))
            continue;
        KeyRecord record;
        record.name = toCodePage(entry.title);
        record.userName = toCodePage(entry.userName);
        record.url = toCodePage(entry.url);
        record.description = toCodePage(QString(entry.notes).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
        record.password = passwordBuffer(toCodePage(entry.password));
        QCOMPARE(session.keyTable().addKey(record, entry.created.toLocalTime()), KeyTable::AddResult::Added);
    }
    QVERIFY(session.save());
}

void TestCliTransfer::toKeePassXc()
{
    if (keePassXcCli().isEmpty())
        QSKIP("keepassxc-cli is not installed (Debian: keepassxc); the KeePassXC round trips are not run");
    importFixture();
    const QMap<QString, QJsonObject> keys = keysOf(QStringLiteral("Ann"), "mpw");
    QCOMPARE(keys.size(), 8);
    QCOMPARE(runCli({QStringLiteral("export"), QStringLiteral("Ann"), QStringLiteral("--format"),
                     QStringLiteral("keepass-xml"), QStringLiteral("--output"), QStringLiteral("ring.xml")},
                    "mpw\n")
                 .exitCode,
             0);
    const Run made = keePassXc({QStringLiteral("import"), QStringLiteral("-q"), QStringLiteral("-p"),
                                QStringLiteral("-t"), QStringLiteral("100"), QStringLiteral("ring.xml"),
                                QStringLiteral("ring.kdbx")},
                               "db\ndb\n");
    QVERIFY2(made.exitCode == 0, made.err.constData());

    // Each key's fields as KeePassXC shows them, the notes (last) over as many lines as they take.
    for (auto key = keys.begin(); key != keys.end(); ++key) {
        const Run shown = keePassXc({QStringLiteral("show"), QStringLiteral("-q"), QStringLiteral("-s"),
                                     QStringLiteral("-a"), QStringLiteral("Title"), QStringLiteral("-a"),
                                     QStringLiteral("UserName"), QStringLiteral("-a"), QStringLiteral("Password"),
                                     QStringLiteral("-a"), QStringLiteral("URL"), QStringLiteral("-a"),
                                     QStringLiteral("Notes"), QStringLiteral("ring.kdbx"), key.key()},
                                    "db\n");
        QVERIFY2(shown.exitCode == 0, shown.err.constData());
        QStringList lines = QString::fromUtf8(shown.out).split(QLatin1Char('\n'));
        QCOMPARE(lines.takeLast(), QString());
        QVERIFY(lines.size() >= 5);
        QCOMPARE(lines.mid(0, 4), (QStringList{key.key(), (*key)[QStringLiteral("userName")].toString(), usable(*key),
                                               (*key)[QStringLiteral("url")].toString()}));
        QCOMPARE(lines.mid(4).join(QLatin1Char('\n')),
                 (*key)[QStringLiteral("description")].toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    // show prints no times: KeePassXC's own XML export of the new database has them.
    const Run exported =
        keePassXc({QStringLiteral("export"), QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("xml"),
                   QStringLiteral("ring.kdbx")},
                  "db\n");
    QCOMPARE(exported.exitCode, 0);
    const ImportRows back = readKeePassXml(exported.out, QStringLiteral("ring"));
    QCOMPARE(back.rows.size(), keys.size());
    for (const ImportRow& row : back.rows)
        QCOMPARE(localStamp(row.created), keys.value(row.title)[QStringLiteral("created")].toString());
}

void TestCliTransfer::csvExportReadBack()
{
    importFixture();
    QCOMPARE(runCli({QStringLiteral("export"), QStringLiteral("Ann"), QStringLiteral("--format"),
                     QStringLiteral("keepassxc-csv"), QStringLiteral("--output"), QStringLiteral("ring.csv")},
                    "mpw\n")
                 .exitCode,
             0);
    QCOMPARE(runCli({QStringLiteral("create-user"), QStringLiteral("Bob")}, "bpw\n").exitCode, 0);
    const CliRun run = runCli({QStringLiteral("import"), QStringLiteral("Bob"), QStringLiteral("ring.csv")}, "bpw\n");
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QMap<QString, QJsonObject> ann = keysOf(QStringLiteral("Ann"), "mpw");
    QMap<QString, QJsonObject> bob = keysOf(QStringLiteral("Bob"), "bpw");
    QCOMPARE(bob.size(), 8);
    for (auto key = ann.begin(); key != ann.end(); ++key) {
        QJsonObject mine = *key;
        QJsonObject theirs = bob.value(key.key());
        QVERIFY(mine.take(QStringLiteral("salt")) != theirs.take(QStringLiteral("salt")));
        QCOMPARE(theirs, mine);
    }
}

QTEST_GUILESS_MAIN(TestCliTransfer)
#include "test_cli_transfer.moc"
