#include "local_http_server.h"
#include "update/script_fetch.h"
#include "update/transfer_lamps.h"

#include <QSignalSpy>
#include <QTest>

using namespace tessary;

namespace {

struct Fetched
{
    bool ok = false;
    QByteArray body;
    QString error;
    QList<int> states;
};

Fetched fetchFrom(const QUrl& url, std::chrono::milliseconds timeout = std::chrono::seconds(10),
                  std::chrono::milliseconds deadline = std::chrono::seconds(60))
{
    ScriptFetch fetch;
    fetch.setTimeout(timeout);
    fetch.setDeadline(deadline);
    Fetched result;
    QObject::connect(&fetch, &ScriptFetch::stateChanged, [&result](int state) { result.states.append(state); });
    result.ok = fetch.fetch(url);
    result.body = fetch.body();
    result.error = fetch.error();
    return result;
}

const QList<int> allStates{1, 2, 5, 6, 7, 9, 10};

} // namespace

class TestUpdateFetch : public QObject
{
    Q_OBJECT

private slots:
    void lamps_data();
    void lamps();
    void scriptArrivesWithEveryStage();
    void errorPageIsAResponse();
    void refusedConnectionFails();
    void responsesAreRead_data();
    void responsesAreRead();
    void silentServerTimesOut();
    void slowServerIsWaitedForAMinute_data();
    void slowServerIsWaitedForAMinute();
    void onlyHttpAddresses();
};

void TestUpdateFetch::lamps_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QList<LampChange>>("changes");

    using C = LampChange::Colour;
    QTest::newRow("1 resolving") << 1 << QList<LampChange>{{0, C::Blue}};
    QTest::newRow("2 resolved") << 2 << QList<LampChange>{{0, C::Grey}};
    QTest::newRow("5 sending") << 5 << QList<LampChange>{{1, C::Blue}};
    QTest::newRow("6 sent") << 6 << QList<LampChange>{{1, C::Grey}, {2, C::Blue}};
    QTest::newRow("7 receiving") << 7 << QList<LampChange>{{2, C::Grey}, {3, C::Blue}};
    QTest::newRow("9 disconnecting") << 9 << QList<LampChange>{{3, C::Grey}, {4, C::Blue}};
    QTest::newRow("10 disconnected") << 10 << QList<LampChange>{{4, C::Grey}, {5, C::Red}};
    QTest::newRow("3 is not a lamp's") << 3 << QList<LampChange>{};
    QTest::newRow("8 is not a lamp's") << 8 << QList<LampChange>{};
}

void TestUpdateFetch::lamps()
{
    QFETCH(int, state);
    QFETCH(QList<LampChange>, changes);
    QCOMPARE(lampChanges(state), changes);
    QCOMPARE(lampLabel(2), QStringLiteral("Waiting For Responce"));
    QCOMPARE(lampLabel(6), QStringLiteral("Error"));
}

void TestUpdateFetch::scriptArrivesWithEveryStage()
{
    LocalHttpServer server;
    QVERIFY(server.isListening());
    server.respond("WEBUPDATE-SCRIPT-START\r\nProgramName: Tessary\r\n");
    const Fetched fetched = fetchFrom(server.url());
    QVERIFY2(fetched.ok, qPrintable(fetched.error));
    QCOMPARE(fetched.body, QByteArray("WEBUPDATE-SCRIPT-START\r\nProgramName: Tessary\r\n"));
    QCOMPARE(fetched.states, allStates);
    QCOMPARE(server.requestLines(), QList<QByteArray>{"GET /a.txt HTTP/1.1"});
}

void TestUpdateFetch::errorPageIsAResponse()
{
    LocalHttpServer server;
    server.respond("<html>Not here</html>", 404);
    const Fetched fetched = fetchFrom(server.url());
    QVERIFY(fetched.ok);
    QCOMPARE(fetched.body, QByteArray("<html>Not here</html>"));
}

void TestUpdateFetch::refusedConnectionFails()
{
    int port = 0;
    {
        LocalHttpServer closed;
        port = QUrl(closed.url()).port();
    }
    const Fetched fetched = fetchFrom(QUrl(QStringLiteral("http://127.0.0.1:%1/a.txt").arg(port)));
    QVERIFY(!fetched.ok);
    QVERIFY2(fetched.error.startsWith(QStringLiteral("The update check failed: ")), qPrintable(fetched.error));
    QVERIFY(fetched.body.isEmpty());
    QVERIFY(!fetched.states.contains(10));
}

// What a server may send, and what of it is the script; the 1 MiB counts the head as well as the body.
void TestUpdateFetch::responsesAreRead_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QByteArray>("body"); // empty: no script, and the error below
    QTest::addColumn<QString>("error");

    const QString tooLarge = QStringLiteral("The update server sent more than 1 MiB; the transfer was stopped.");
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: ";
    const qsizetype fits = 1024 * 1024 - head.size() - 11; // the length's seven digits and two line ends
    QTest::newRow("1 MiB in all") << head + QByteArray::number(fits) + "\r\n\r\n" + QByteArray(fits, 'x')
                                  << QByteArray(fits, 'x') << QString();
    QTest::newRow("a byte more, announced")
        << head + QByteArray::number(fits + 1) + "\r\n\r\n" + QByteArray(fits + 1, 'x') << QByteArray() << tooLarge;
    QTest::newRow("2 MiB to the end of the connection")
        << "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(2 * 1024 * 1024, 'x') << QByteArray() << tooLarge;
    QTest::newRow("header fields without end")
        << "HTTP/1.1 200 OK\r\n" + QByteArray("X-Filler: a\r\n").repeated(100'000) << QByteArray() << tooLarge;
    QTest::newRow("chunks") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;x=1\r\nWEBU\r\n"
                                          "2\r\nPD\r\n0\r\nX-Trailer: t\r\n\r\n")
                            << QByteArray("WEBUPD") << QString();
    QTest::newRow("an interim answer first")
        << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\n\nscript") << QByteArray("script") << QString();
    QTest::newRow("cut short") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nshort") << QByteArray()
                               << QStringLiteral("The update check failed: the server closed");
    QTest::newRow("no HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << QByteArray()
                             << QStringLiteral("The update check failed: the server's answer is no HTTP response.");
    QTest::newRow("a redirection to itself, for ever")
        << QByteArray("HTTP/1.1 302 Found\r\nLocation: /a.txt\r\nContent-Length: 0\r\n\r\n") << QByteArray()
        << QStringLiteral("The update check failed: the server redirected it to");
}

void TestUpdateFetch::responsesAreRead()
{
    QFETCH(QByteArray, response);
    QFETCH(QByteArray, body);
    QFETCH(QString, error);
    LocalHttpServer server;
    server.respondRaw(response);
    const Fetched fetched = fetchFrom(server.url());
    QCOMPARE(fetched.body, body);
    QCOMPARE(fetched.ok, error.isEmpty());
    QVERIFY2(fetched.error.startsWith(error), qPrintable(fetched.error));
}

void TestUpdateFetch::silentServerTimesOut()
{
    LocalHttpServer server;
    server.keepSilent();
    const Fetched fetched = fetchFrom(server.url(), std::chrono::milliseconds(300));
    QVERIFY(!fetched.ok);
    QCOMPARE(fetched.error, QStringLiteral("The update server sent nothing for 0.3 seconds; the transfer was stopped."));
}

void TestUpdateFetch::slowServerIsWaitedForAMinute_data()
{
    QTest::addColumn<int>("deadline");
    QTest::addColumn<bool>("ok");
    QTest::newRow("within the deadline") << 60'000 << true;
    QTest::newRow("past the deadline") << 500 << false;
}

void TestUpdateFetch::slowServerIsWaitedForAMinute()
{
    // Twelve pieces 60 ms apart take longer than the time-out, but the server is never silent that long; a
    // server that keeps trickling is given up at the deadline.
    QFETCH(int, deadline);
    QFETCH(bool, ok);
    LocalHttpServer server;
    const QByteArray body(600, 'y');
    server.respond(body);
    server.trickle(12, std::chrono::milliseconds(60));
    const Fetched fetched =
        fetchFrom(server.url(), std::chrono::milliseconds(400), std::chrono::milliseconds(deadline));
    QCOMPARE(fetched.ok, ok);
    QCOMPARE(fetched.body, ok ? body : QByteArray());
    if (!ok)
        QCOMPARE(fetched.error,
                 QStringLiteral("The update server took longer than 0.5 seconds; the transfer was stopped."));
}

void TestUpdateFetch::onlyHttpAddresses()
{
    const Fetched fetched = fetchFrom(QUrl(QStringLiteral("file:///etc/passwd")));
    QVERIFY(!fetched.ok);
    QCOMPARE(fetched.error, QStringLiteral("\"file:///etc/passwd\" is not an HTTP address."));
    QVERIFY(fetched.states.isEmpty());
}

QTEST_GUILESS_MAIN(TestUpdateFetch)
#include "test_update_fetch.moc"
