#include "cli_runner.h"

#include "storage/key_ring_file.h"
#include "update/local_http_server.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tessary;

namespace {

QByteArray lines(const QStringList& texts)
{
    QByteArray bytes;
    for (const QString& text : texts)
        bytes += text.toUtf8() + '\n';
    return bytes;
}

// An empty key ring for the password "pw", 82 bytes.
QByteArray emptyRing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.keyRing"));
    createKeyRing(file, "pw");
    return fileBytes(file);
}

QByteArray withCount(QByteArray ring, char low, char high)
{
    ring[28] = low;
    ring[29] = high;
    return ring;
}

const QString script = QStringLiteral("WEBUPDATE-SCRIPT-START\r\n"
                                      "ProgramName:Tessary\r\n"
                                      "WebUpdateVersion:0.1\r\n"
                                      "CurrentVersion:0.3\r\n"
                                      "RecommendedVersion:0.2\r\n"
                                      "DownloadURL:http://example.org/get\r\n"
                                      "DownloadSize:420\r\n"
                                      "VersionHistory:0.1,First alpha,0.2,Login fixed,0.3,\"Pages, wizards\"\r\n");

const QStringList lamps{QStringLiteral("Connecting to Server"), QStringLiteral("Requesting File"),
                        QStringLiteral("Waiting For Responce"), QStringLiteral("Downloading"),
                        QStringLiteral("Disconnecting"),        QStringLiteral("Finished")};

} // namespace

class TestCliTools : public QObject
{
    Q_OBJECT

private slots:
    void help();
    void usageErrors_data();
    void usageErrors();
    void check_data();
    void check();
    void estimate();
    void estimateWithinWeeks();
    void generate_data();
    void generate();
    void updateCheck_data();
    void updateCheck();
    void updateCheckWithoutServer();
    void updateCheckModuleInstalled();
};

void TestCliTools::help()
{
    const CliRun run = runCli({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    for (const char* word : {"--dir", "users", "create-user", "ls USER [--json]", "show USER KEY [--json]", "add USER KEY",
                             "--username", "--url", "--notes", "edit USER KEY", "rename USER OLD NEW", "rm USER KEY",
                             "export USER", "check FILE", "estimate [--loops N]", "generate [LENGTH]",
                             "update-check [URL]", "Exit status"})
        QVERIFY2(run.out.contains(word), word);
    QCOMPARE(runCli({QStringLiteral("show"), QStringLiteral("--help")}).out, run.out);
}

void TestCliTools::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");

    QTest::newRow("nothing") << QStringList{} << QStringLiteral("No command given.");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")}
                                     << QStringLiteral("Unknown command frobnicate.");
    QTest::newRow("unknown global option") << QStringList{QStringLiteral("--verbose"), QStringLiteral("users")}
                                           << QStringLiteral("Unknown option --verbose.");
    QTest::newRow("--dir without directory") << QStringList{QStringLiteral("--dir")}
                                             << QStringLiteral("--dir needs a directory.");
    QTest::newRow("too few arguments") << QStringList{QStringLiteral("ls")}
                                       << QStringLiteral("Wrong number of arguments for ls.");
    QTest::newRow("too many arguments") << QStringList{QStringLiteral("rm"), QStringLiteral("a"), QStringLiteral("b"),
                                                       QStringLiteral("c")}
                                        << QStringLiteral("Wrong number of arguments for rm.");
    QTest::newRow("option of another command")
        << QStringList{QStringLiteral("ls"), QStringLiteral("Ann"), QStringLiteral("--url"), QStringLiteral("x")}
        << QStringLiteral("ls does not take the option --url.");
    QTest::newRow("option without value")
        << QStringList{QStringLiteral("add"), QStringLiteral("Ann"), QStringLiteral("K"), QStringLiteral("--url")}
        << QStringLiteral("--url needs a value.");
    QTest::newRow("edit without a field")
        << QStringList{QStringLiteral("edit"), QStringLiteral("Ann"), QStringLiteral("K")}
        << QStringLiteral("edit needs at least one of --username, --url, --notes and --password.");
    QTest::newRow("generate, not a number") << QStringList{QStringLiteral("generate"), QStringLiteral("ten")}
                                            << QStringLiteral("The length must be a whole number.");
    for (const char* length : {"7", "129"})
        QTest::addRow("generate %s", length) << QStringList{QStringLiteral("generate"), QLatin1String(length)}
                                             << QStringLiteral("The length must be from 8 to 128 characters.");
    QTest::newRow("generate, length twice")
        << QStringList{QStringLiteral("generate"), QStringLiteral("9"), QStringLiteral("--length"), QStringLiteral("9")}
        << QStringLiteral("Give the length once: LENGTH or --length N.");
    for (const char* classes : {"X", "UU"})
        QTest::addRow("generate --classes '%s'", classes)
            << QStringList{QStringLiteral("generate"), QStringLiteral("--classes"), QLatin1String(classes)}
            << QStringLiteral("--classes takes the letters U, L, D and S, each once at most.");
    QTest::newRow("generate --words 12")
        << QStringList{QStringLiteral("generate"), QStringLiteral("--words"), QStringLiteral("12")}
        << QStringLiteral("The number of words must be from 1 to 11 with this separator.");
    QTest::newRow("generate --words with a length")
        << QStringList{QStringLiteral("generate"), QStringLiteral("--words"), QStringLiteral("3"),
                       QStringLiteral("--length"), QStringLiteral("9")}
        << QStringLiteral("--words makes a passphrase: it takes no length or classes.");

    for (const char* years : {"-1", "1.5", "ten"}) {
        QTest::addRow("audit --older-than %s", years)
            << QStringList{QStringLiteral("audit"), QStringLiteral("Ann"), QStringLiteral("--older-than"),
                           QLatin1String(years)}
            << QStringLiteral("--older-than takes a whole number of years, 0 or more.");
    }
    QTest::newRow("estimate, 0 loops") << QStringList{QStringLiteral("estimate"), QStringLiteral("--loops=0")}
                                       << QStringLiteral("--loops needs a number of at least 1.");
}

void TestCliTools::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const CliRun run = runCli(arguments, "pw\n", dir.path());
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.startsWith(reason.toUtf8() + "\nUsage: tessary-cli"), run.err.constData());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestCliTools::check_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QString>("error");

    const QByteArray ring = emptyRing();
    QCOMPARE(ring.size(), 82);
    // With the line of the format a classic magic stands for.
    const QString magic = QStringLiteral("Format: classic (MD2 and RC4, as Tessary 0.1 writes)\nMagic: TESSARYv0.1A");
    QTest::newRow("sound") << ring << 0
                           << QStringList{QStringLiteral("File: x.keyRing (82 bytes)"), magic,
                                          QStringLiteral("Key count: 0"), QStringLiteral("Records read: 0"),
                                          QStringLiteral("Trailer: found, ending at byte 82"),
                                          QStringLiteral("Bytes after the trailer: 0")}
                           << QString();
    QTest::newRow("bytes after the trailer")
        << ring + "extra" << 0
        << QStringList{QStringLiteral("File: x.keyRing (87 bytes)"), magic, QStringLiteral("Key count: 0"),
                       QStringLiteral("Records read: 0"), QStringLiteral("Trailer: found, ending at byte 82"),
                       QStringLiteral("Bytes after the trailer: 5")}
        << QString();
    QTest::newRow("trailer cut short")
        << ring.chopped(1) << 1
        << QStringList{QStringLiteral("File: x.keyRing (81 bytes)"), magic, QStringLiteral("Key count: 0"),
                       QStringLiteral("Records read: 0"), QStringLiteral("Trailer: not found after the records")}
        << damagedKeyRingMessage();
    QTest::newRow("count of 1, no record")
        << withCount(ring, 1, 0) << 1
        << QStringList{QStringLiteral("File: x.keyRing (82 bytes)"), magic, QStringLiteral("Key count: 1"),
                       QStringLiteral("Records read: 0"), QStringLiteral("Trailer: not found after the records")}
        << damagedKeyRingMessage();
    QTest::newRow("count of 256")
        << withCount(ring, 0, 1) << 1
        << QStringList{QStringLiteral("File: x.keyRing (82 bytes)"), magic, QStringLiteral("Key count: 256")}
        << QStringLiteral("File asks for more entries then we can give! (256/255) Please Report!");
    QTest::newRow("count of -1")
        << withCount(ring, '\xff', '\xff') << 1
        << QStringList{QStringLiteral("File: x.keyRing (82 bytes)"), magic, QStringLiteral("Key count: -1"),
                       QStringLiteral("Records read: 0"), QStringLiteral("Trailer: found, ending at byte 82"),
                       QStringLiteral("Bytes after the trailer: 0")}
        << QStringLiteral("The key count -1 is negative; a key ring holds 0 to 255 keys.");
    QTest::newRow("wrong magic") << QByteArray("TESSARYv0.1B") + ring.mid(12) << 1
                                 << QStringList{QStringLiteral("File: x.keyRing (82 bytes)"),
                                                QStringLiteral("Magic: missing")}
                                 << QStringLiteral("Not a Tessary v0.1a file! (x.keyRing) Please Report!");
    QTest::newRow("empty file") << QByteArray() << 1
                                << QStringList{QStringLiteral("File: x.keyRing (0 bytes)"),
                                               QStringLiteral("Magic: missing")}
                                << QStringLiteral("Not a Tessary v0.1a file! (x.keyRing) Please Report!");
    QTest::newRow("magic only") << ring.left(12) << 1
                                << QStringList{QStringLiteral("File: x.keyRing (12 bytes)"), magic,
                                               QStringLiteral("Trailer: not found after the records")}
                                << damagedKeyRingMessage();
}

void TestCliTools::check()
{
    QFETCH(QByteArray, file);
    QFETCH(int, exitCode);
    QFETCH(QStringList, found);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("x.keyRing")), file));
    const CliRun run = runCli({QStringLiteral("--dir"), dir.path(), QStringLiteral("check"), QStringLiteral("x.keyRing")});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, lines(found));
    QCOMPARE(run.err, error.isEmpty() ? QByteArray() : lines({error}));
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("x.keyRing"))), file);
}

void TestCliTools::estimate()
{
    const CliRun run = runCli({QStringLiteral("estimate"), QStringLiteral("--loops"), QStringLiteral("23")}, "abcdefg\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    // Length round(4.9 - 2) = 3; 7 different letters: round(round(18.5) / 10) x 1.4623 = 3; under 8: no
    // difficulty; (3 + 3) / 3 = 2.
    // The report itself is the analysis test's worked example; here: the meter first, then the report as lines.
    QVERIFY2(run.out.startsWith(lines({QStringLiteral("Length: 3"), QStringLiteral("Varity: 3"),
                                       QStringLiteral("Difficulty: 0"), QStringLiteral("Score: 2"), QString(),
                                       QStringLiteral("Tessory v0.1a Advanced Password Check")})),
             run.out.constData());
    QVERIFY(run.out.contains(lines({QStringLiteral("Estimated Loops: 23"),
                                    QStringLiteral("Working Out... 23 Loops -=- Difference: 0")})));
    QVERIFY(run.out.contains(lines({QStringLiteral("40 day(s)10 hour(s) to crack.")})));
    QCOMPARE(run.out.count('\n'), 22);
}

void TestCliTools::estimateWithinWeeks()
{
    // 26^6 / 100 = 3,089,158 seconds, where a 16-bit adjustment would have overflowed into "Over 1000 years".
    const CliRun run = runCli({QStringLiteral("estimate"), QStringLiteral("--loops=1")}, "abcdef\r\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("Working... (6 characters)\n"));
    QVERIFY(!run.out.contains("abcdef"));
    QVERIFY2(run.out.endsWith(lines({QStringLiteral("35 day(s)18 hour(s) to crack."), QString(),
                                     QStringLiteral("Please remember: This is in pre-alpha"), QString(),
                                     QStringLiteral("Hey, Varnick - You like?")})),
             run.out.constData());
}

void TestCliTools::generate_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("pattern"); // what every output line must match whole
    QTest::addColumn<QString>("bits");    // standard error, where --bits asks for it

    const QString all = QStringLiteral("(?=.*[A-Z])(?=.*[a-z])(?=.*[0-9])(?=.*[^A-Za-z0-9])[!-~]");
    QTest::newRow("default") << QStringList{QStringLiteral("generate")} << all + QStringLiteral("{20}") << QString();
    QTest::newRow("128 digits, bits")
        << QStringList{QStringLiteral("generate"), QStringLiteral("--length=128"), QStringLiteral("--classes"),
                       QStringLiteral("D"), QStringLiteral("--bits")}
        << QStringLiteral("[0-9]{128}") << QStringLiteral("425.2 bits\n");
    QTest::newRow("letters, no look-alikes")
        << QStringList{QStringLiteral("generate"), QStringLiteral("--classes"), QStringLiteral("LU"),
                       QStringLiteral("--no-look-alikes")}
        << QStringLiteral("(?=.*[A-Z])(?=.*[a-z])[A-HJ-NP-Za-km-np-z]{20}") << QString();
    QTest::newRow("six words")
        << QStringList{QStringLiteral("generate"), QStringLiteral("--words"), QStringLiteral("6"),
                       QStringLiteral("--separator"), QStringLiteral(" "), QStringLiteral("--bits")}
        << QStringLiteral("[a-z-]+( [a-z-]+){5}") << QStringLiteral("77.5 bits\n");
    QTest::newRow("one word, no separator")
        << QStringList{QStringLiteral("generate"), QStringLiteral("--words"), QStringLiteral("1"),
                       QStringLiteral("--separator="), QStringLiteral("--bits")}
        << QStringLiteral("[a-z-]{3,10}") << QStringLiteral("12.9 bits\n");
}

void TestCliTools::generate()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, pattern);
    QFETCH(QString, bits);
    const QRegularExpression whole(QStringLiteral("^") + pattern + QStringLiteral("\n$"));
    const CliRun first = runCli(arguments);
    const CliRun second = runCli(arguments);
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(QString::fromUtf8(first.err), bits);
    QVERIFY2(whole.match(QString::fromLatin1(first.out)).hasMatch(), first.out.constData());
    QVERIFY2(whole.match(QString::fromLatin1(second.out)).hasMatch(), second.out.constData());
    QVERIFY(first.out != second.out);
}

void TestCliTools::updateCheck_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<QString>("message");

    QTest::newRow("newer release") << script.toUtf8() << 200 << 0
                                   << QStringList{QStringLiteral("Web Update Script Version: 0.1"),
                                                  QStringLiteral("Most recent version is 0.3"),
                                                  QStringLiteral("It is highly recommended that you upgrade"),
                                                  QString(),
                                                  QStringLiteral("The URL is http://example.org/get (420kb size)"),
                                                  QStringLiteral("0.2 - Login fixed"),
                                                  QStringLiteral("0.3 - Pages, wizards")}
                                   << QString();
    QTest::newRow("up to date") << script.toUtf8().replace("CurrentVersion:0.3", "CurrentVersion:0.1") << 200 << 0
                                << QStringList{QStringLiteral("Web Update Script Version: 0.1"),
                                               QStringLiteral("Current Version is already up to date")}
                                << QString();
    QTest::newRow("another program's script")
        << script.toUtf8().replace("ProgramName:Tessary", "ProgramName:Other") << 200 << 1
        << QStringList{QStringLiteral("Web Update Script Version: 0.1"),
                       QStringLiteral("Wrong Program Update Script Found. Aborting."), QStringLiteral("Other")}
        << QString();
    // The server's text cannot steer the terminal: its control characters are shown escaped.
    QTest::newRow("escapes in a printed line")
        << script.toUtf8().replace("ProgramName:Tessary", "ProgramName:\x1b[2J\x1b]52;c;cHc=\x07") << 200 << 1
        << QStringList{QStringLiteral("Web Update Script Version: 0.1"),
                       QStringLiteral("Wrong Program Update Script Found. Aborting."),
                       QStringLiteral("\\x1b[2J\\x1b]52;c;cHc=\\x07")}
        << QString();
    QTest::newRow("escapes in a message") << script.toUtf8().replace("DownloadSize:420", "DownloadSize:\x1b[2J") << 200
                                          << 1 << QStringList{}
                                          << QStringLiteral("The update script's DownloadSize is missing or not a "
                                                            "number (\"\\x1b[2J\"). The check was stopped.");
    QTest::newRow("error page") << QByteArray("<html>gone</html>") << 404 << 1 << QStringList{}
                                << QStringLiteral(
                                       "Web Update Script not found! Download a newer copy of this program from XXX");
    QTest::newRow("too new") << script.toUtf8().replace("WebUpdateVersion:0.1",
                                                       "WebUpdateVersion:0.2\r\nWebUpdateCompatable:0.3")
                             << 200 << 1 << QStringList{}
                             << QStringLiteral("We are too old to be doing this. I am retiring.");
    QTest::newRow("unreadable number") << script.toUtf8().replace("DownloadSize:420", "DownloadSize:lots") << 200 << 1
                                       << QStringList{}
                                       << QStringLiteral("The update script's DownloadSize is missing or not a number "
                                                         "(\"lots\"). The check was stopped.");
}

void TestCliTools::updateCheck()
{
    QFETCH(QByteArray, response);
    QFETCH(int, status);
    QFETCH(int, exitCode);
    QFETCH(QStringList, printed);
    QFETCH(QString, message);

    LocalHttpServer server;
    QVERIFY(server.isListening());
    server.respond(response, status);
    QTemporaryDir dir;
    const CliRun run = runCli(
        {QStringLiteral("--dir"), dir.path(), QStringLiteral("update-check"), server.url().toString()});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, lines(printed));
    QCOMPARE(run.err, lines(message.isEmpty() ? lamps : lamps + QStringList{message}));
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("history.dat"))), printed.size() > 4);
}

void TestCliTools::updateCheckWithoutServer()
{
    int port = 0;
    {
        LocalHttpServer closed;
        port = closed.url().port();
    }
    QTemporaryDir dir;
    const CliRun run = runCli({QStringLiteral("--dir"), dir.path(), QStringLiteral("update-check"),
                               QStringLiteral("http://127.0.0.1:%1/a.txt").arg(port)});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.startsWith("Connecting to Server\n"), run.err.constData());
    QVERIFY2(run.err.contains("\nThe update check failed: "), run.err.constData());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestCliTools::updateCheckModuleInstalled()
{
    // A tool without the module beside it, as installed, looks in the library folder it was built for.
    const QString installed = QStringLiteral(TESSARY_MODULE_DIR "/libtessary_update_check.so");
    if (QFile::exists(installed))
        QSKIP("Tessary is installed on this machine");
    QTemporaryDir dir;
    const QString tool = dir.filePath(QStringLiteral("tessary-cli"));
    QVERIFY(QFile::copy(QStringLiteral(TESSARY_CLI), tool));
    QProcess process;
    process.start(tool, {QStringLiteral("--dir"), dir.path(), QStringLiteral("update-check")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.startsWith("The update check cannot be loaded: ") && err.contains(installed.toUtf8()),
             err.constData());
}

QTEST_GUILESS_MAIN(TestCliTools)
#include "test_cli_tools.moc"
