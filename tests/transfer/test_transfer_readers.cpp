// The readers of other password managers' files: what each layout yields, and what each refuses whole.
#include "transfer/csv_import.h"
#include "transfer/csv_reader.h"
#include "transfer/import_file.h"
#include "transfer/xml_import.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tessary;

Q_DECLARE_METATYPE(std::optional<TransferFormat>)

namespace {

// Test data written as UTF-8 literals.
QStringList texts(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

// The rows as "number|title|user|password|url|notes|created(ISO, UTC)|dropped", one string each.
QStringList summary(const ImportRows& read)
{
    QStringList lines;
    for (const ImportRow& row : read.rows) {
        QString line = QStringList{QString::number(row.number), row.title, row.userName, row.password, row.url,
                                   row.notes, row.created.isValid() ? row.created.toUTC().toString(Qt::ISODate) : QString(),
                                   row.dropped.join(QLatin1Char('+'))}
                           .join(QLatin1Char('|'));
        if (!row.refusal.isEmpty())
            line += QStringLiteral(" !") + row.refusal;
        lines.append(line);
    }
    return lines;
}

} // namespace

class TestTransferReaders : public QObject
{
    Q_OBJECT

private slots:
    void csvRecords_data();
    void csvRecords();
    void csvLayouts_data();
    void csvLayouts();
    void keePassXml_data();
    void keePassXml();
    void files_data();
    void files();
};

void TestTransferReaders::csvRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("records"); // "line:field/field/..."
    QTest::addColumn<QString>("failure");

    QTest::newRow("LF, minimal quoting") << QStringLiteral("a,b\nc,d\n") << texts({"1:a/b", "2:c/d"}) << QString();
    QTest::newRow("CR LF, no break at the end") << QStringLiteral("a,b\r\nc,d") << texts({"1:a/b", "2:c/d"})
                                                << QString();
    QTest::newRow("quoted comma, doubled quotes")
        << QStringLiteral("\"a,b\",\"say \"\"hi\"\"\"\n") << texts({"1:a,b/say \"hi\""}) << QString();
    QTest::newRow("line breaks in a quoted field count their lines")
        << QStringLiteral("\"one\ntwo\r\nthree\",x\nnext,y\n") << texts({"1:one\ntwo\r\nthree/x", "4:next/y"})
        << QString();
    QTest::newRow("empty fields, quoted and not") << QStringLiteral(",\"\",\n") << texts({"1://"}) << QString();
    QTest::newRow("blank lines are no records") << QStringLiteral("\n\na\n\r\n\nb\n")
                                               << texts({"3:a", "6:b"}) << QString();
    QTest::newRow("a stray quote in an unquoted field stays") << QStringLiteral("ab\"c,d\n")
                                                             << texts({"1:ab\"c/d"}) << QString();
    QTest::newRow("a bare CR stays in its field") << QStringLiteral("a\rb,c\n") << texts({"1:a\rb/c"})
                                                 << QString();
    QTest::newRow("unclosed quote") << QStringLiteral("a\n\"b,c\nd\n") << QStringList()
                                    << QStringLiteral("line 2: a quoted field is never closed");
    QTest::newRow("text after a closing quote") << QStringLiteral("\"a\"b,c\n") << QStringList()
                                                << QStringLiteral("line 1: text follows a closing quote");
    QTest::newRow("more records than allowed") << QStringLiteral("1\n2\n3\n4\n") << QStringList()
                                               << QStringLiteral("more than 3 records");
}

void TestTransferReaders::csvRecords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, records);
    QFETCH(QString, failure);
    const CsvTable table = readCsv(text, 16, 3);
    QCOMPARE(table.failure, failure);
    QStringList got;
    for (const CsvRecord& record : table.records)
        got.append(QStringLiteral("%1:%2").arg(record.line).arg(record.fields.join(QLatin1Char('/'))));
    QCOMPARE(got, records);
}

void TestTransferReaders::csvLayouts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<TransferFormat>>("given");
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QString>("failure"); // a part of it

    const std::optional<TransferFormat> detect;
    const QString keepass = QStringLiteral("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\","
                                           "\"Icon\",\"Last Modified\",\"Created\"\n");
    QTest::newRow("KeePassXC, with a BOM")
        << QStringLiteral("\xFEFF") + keepass +
               QStringLiteral("\"G\",\"Mail\",\"ann\",\"p,w\",\"mailto:a@b\",\"n\",\"otpauth://x\",\"0\","
                              "\"2021-01-01T00:00:00Z\",\"2020-03-04T05:06:07Z\"\n")
        << detect << int(TransferFormat::KeePassXcCsv)
        << texts({"2|Mail|ann|p,w|mailto:a@b|n|2020-03-04T05:06:07Z|TOTP"}) << 0 << QString();
    QTest::newRow("KeePassXC, a short row is refused, not guessed")
        << keepass + QStringLiteral("\"G\",\"Short\",\"u\"\n") << detect << int(TransferFormat::KeePassXcCsv)
        << texts({"2|Short|||||| !it has 3 fields where the header row has 10"}) << 0 << QString();
    QTest::newRow("Bitwarden: only logins")
        << QStringLiteral("folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
                          "login_totp\n"
                          ",1,login,Bank,\"two\nlines\",,0,https://bank.example,bob,pw1,\n"
                          ",,note,Recipe,secret sauce,,0,,,,\n"
                          ",,card,Visa,,,0,,,,\n")
        << detect << int(TransferFormat::BitwardenCsv)
        << texts({"2|Bank|bob|pw1|https://bank.example|two\nlines||"}) << 2 << QString();
    QTest::newRow("Chrome without its note column")
        << QStringLiteral("name,url,username,password\nsite.example,https://site.example/,me,pw\n") << detect
        << int(TransferFormat::ChromeCsv) << texts({"2|site.example|me|pw|https://site.example/|||"}) << 0
        << QString();
    QTest::newRow("Chrome with its note column")
        << QStringLiteral("name,url,username,password,note\nA,https://a.example,u,p,remember\n") << detect
        << int(TransferFormat::ChromeCsv) << texts({"2|A|u|p|https://a.example|remember||"}) << 0 << QString();
    QTest::newRow("Firefox: no title, times in milliseconds")
        << QStringLiteral("\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\","
                          "\"timeCreated\",\"timeLastUsed\",\"timePasswordChanged\"\n"
                          "\"https://www.mozilla.org\",\"fox\",\"pw\",,\"https://www.mozilla.org\",\"{1}\","
                          "\"1600000000000\",\"1600000000000\",\"1600000000000\"\n"
                          "\"https://no.date\",\"x\",\"y\",,,\"{2}\",\"0\",\"0\",\"0\"\n")
        << detect << int(TransferFormat::FirefoxCsv)
        << texts({"2||fox|pw|https://www.mozilla.org||2020-09-13T12:26:40Z|", "3||x|y|https://no.date|||"}) << 0
        << QString();
    QTest::newRow("a header row nobody writes")
        << QStringLiteral("title,secret\na,b\n") << detect << 0 << QStringList() << 0
        << QStringLiteral("begins with a header row Tessary does not know: title,secret");
    QTest::newRow("--format names another layout than the file's")
        << QStringLiteral("name,url,username,password\na,b,c,d\n")
        << std::optional(TransferFormat::BitwardenCsv) << 0 << QStringList() << 0
        << QStringLiteral("does not begin with the header row of Bitwarden CSV");
    QTest::newRow("an empty file") << QString() << detect << 0 << QStringList() << 0
                                   << QStringLiteral("header row Tessary does not know");
}

void TestTransferReaders::csvLayouts()
{
    QFETCH(QString, text);
    QFETCH(std::optional<TransferFormat>, given);
    QFETCH(int, format);
    QFETCH(QStringList, rows);
    QFETCH(int, skipped);
    QFETCH(QString, failure);
    const ImportRows read = readCsvImport(text, given, QStringLiteral("in.csv"));
    if (!failure.isEmpty()) {
        QVERIFY2(read.failure.contains(failure), qPrintable(read.failure));
        QVERIFY(read.rows.isEmpty());
        return;
    }
    QCOMPARE(read.failure, QString());
    QCOMPARE(int(read.format), format);
    QCOMPARE(summary(read), rows);
    QCOMPARE(read.skipped, skipped);
}

void TestTransferReaders::keePassXml_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QString>("failure");

    const auto entry = [](const char* title, const char* more = "") {
        return QByteArray("<Entry><String><Key>Title</Key><Value>") + title + "</Value></String>" + more + "</Entry>";
    };
    const QByteArray meta = "<Meta><RecycleBinEnabled>True</RecycleBinEnabled>"
                            "<RecycleBinUUID>YmluYmluYmluYmluYmluYg==</RecycleBinUUID></Meta>";
    QTest::newRow("nested groups, fields, history left out")
        << QByteArray("<?xml version=\"1.0\"?><KeePassFile>" + meta + "<Root><Group><Name>R</Name>" +
                      entry("Top", "<Times><CreationTime>2020-03-04T05:06:07Z</CreationTime></Times>"
                                   "<String><Key>UserName</Key><Value>u</Value></String>"
                                   "<String><Key>Password</Key><Value ProtectInMemory=\"True\">p&amp;&lt;</Value>"
                                   "</String><String><Key>URL</Key><Value>mailto:a@b</Value></String>"
                                   "<String><Key>Notes</Key><Value>a\nb</Value></String>"
                                   "<String><Key>otp</Key><Value>x</Value></String>"
                                   "<History>" + entry("Old version") + "</History>") +
                      "<Group><Name>Inner</Name>" + entry("Deep") + "</Group></Group></Root></KeePassFile>")
        << texts({"1|Top|u|p&<|mailto:a@b|a\nb|2020-03-04T05:06:07Z|otp", "2|Deep||||||"}) << 0 << QString();
    QTest::newRow("the recycle bin's entries are skipped")
        << QByteArray("<KeePassFile>" + meta + "<Root><Group>" + entry("Kept") +
                      "<Group><UUID>YmluYmluYmluYmluYmluYg==</UUID>" + entry("Deleted") +
                      "<Group>" + entry("Deleted too") + "</Group></Group></Group></Root></KeePassFile>")
        << texts({"1|Kept||||||"}) << 2 << QString();
    QTest::newRow("a database's own time, in base64 seconds")
        << QByteArray("<KeePassFile><Root><Group>" +
                      entry("T", "<Times><CreationTime>Py7x1Q4AAAA=</CreationTime></Times>") +
                      "</Group></Root></KeePassFile>")
        << texts({"1|T|||||2020-03-04T05:06:07Z|"}) << 0 << QString();
    QTest::newRow("enciphered values are refused")
        << QByteArray("<KeePassFile><Root><Group>" +
                      entry("P", "<String><Key>Password</Key><Value Protected=\"True\">AAAA</Value></String>") +
                      "</Group></Root></KeePassFile>")
        << texts({"1|P||AAAA|||| !its fields are enciphered (Protected=\"True\"); export it from KeePass or "
                       "KeePassXC as XML"})
        << 0 << QString();
    QTest::newRow("another root") << QByteArray("<html><body/></html>") << QStringList() << 0
                                  << QStringLiteral("its root element is <html>, not <KeePassFile>");
    QTest::newRow("a document type, which could declare entities")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE KeePassFile [<!ENTITY a \"aaaa\">]><KeePassFile/>")
        << QStringList() << 0 << QStringLiteral("it declares a document type");
    QTest::newRow("broken XML, with its line")
        << QByteArray("<KeePassFile>\n<Root>\n<Group></Root>") << QStringList() << 0 << QStringLiteral("line 3:");
    QTest::newRow("groups too deep")
        << QByteArray("<KeePassFile><Root>" + QByteArray("<Group>").repeated(70) + QByteArray("</Group>").repeated(70) +
                      "</Root></KeePassFile>")
        << QStringList() << 0 << QStringLiteral("groups nested more than 64 deep");
}

void TestTransferReaders::keePassXml()
{
    QFETCH(QByteArray, xml);
    QFETCH(QStringList, rows);
    QFETCH(int, skipped);
    QFETCH(QString, failure);
    const ImportRows read = readKeePassXml(xml, QStringLiteral("in.xml"));
    if (!failure.isEmpty()) {
        QVERIFY2(read.failure.contains(failure), qPrintable(read.failure));
        QVERIFY(read.rows.isEmpty());
        return;
    }
    QCOMPARE(read.failure, QString());
    QCOMPARE(summary(read), rows);
    QCOMPARE(read.skipped, skipped);
}

void TestTransferReaders::files_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize"); // > 0: a file of that size, made without writing it
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("failure");

    QTest::newRow("a key ring by its magic") << QByteArray("TESSARYv0.1A....") << qint64(0)
                                             << QStringLiteral("x.dat") << int(TransferFormat::TessaryKeyRing)
                                             << QString();
    QTest::newRow("XML after a BOM and blank lines")
        << QByteArray("\xEF\xBB\xBF\n  <KeePassFile><Root/></KeePassFile>") << qint64(0) << QStringLiteral("x.txt")
        << int(TransferFormat::KeePassXml) << QString();
    QTest::newRow("CSV that is not UTF-8") << QByteArray("name,url,username,password\nA\xE9,b,c,d\n") << qint64(0)
                                           << QStringLiteral("x.csv") << 0
                                           << QStringLiteral("x.csv is not UTF-8 text");
    QTest::newRow("a binary file") << QByteArray("\x03\xD9\xA2\x9A\x67\xFB\x4B\xB5\0\0", 10) << qint64(0)
                                   << QStringLiteral("x.kdbx") << 0
                                   << QStringLiteral("x.kdbx is in no format Tessary reads");
    QTest::newRow("over 16 MiB, refused unread") << QByteArray() << qint64(maximumImportFileSize + 1)
                                                 << QStringLiteral("big.csv") << 0
                                                 << QStringLiteral("File too large");
    QTest::newRow("a directory") << QByteArray() << qint64(-1) << QStringLiteral("folder.csv") << 0
                                 << QStringLiteral("cannot be read");
}

void TestTransferReaders::files()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);
    QFETCH(QString, name);
    QFETCH(int, format);
    QFETCH(QString, failure);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (sparseSize < 0) {
        QVERIFY(QDir(dir.path()).mkdir(name));
    } else {
        QVERIFY(writeFile(path, bytes));
        if (sparseSize > 0)
            QVERIFY(QFile::resize(path, sparseSize));
    }
    const ImportRows read = readImportFile(path, std::nullopt, name);
    if (!failure.isEmpty()) {
        QVERIFY2(read.failure.contains(failure), qPrintable(read.failure));
        return;
    }
    QCOMPARE(read.failure, QString());
    QCOMPARE(int(read.format), format);
}

QTEST_GUILESS_MAIN(TestTransferReaders)
#include "test_transfer_readers.moc"
