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

Fetched fetchFrom(const QUrl& url, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    ScriptFetch fetch;
    fetch.setTimeout(timeout);
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
    void oversizedResponseIsStopped_data();
    void oversizedResponseIsStopped();
    void silentServerTimesOut();
    void slowServerIsWaitedFor();
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

void TestUpdateFetch::oversizedResponseIsStopped_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("withLength");
    QTest::addColumn<bool>("ok");

    QTest::newRow("exactly 1 MiB") << qsizetype(1024 * 1024) << true << true;
    QTest::newRow("1 MiB + 1, announced") << qsizetype(1024 * 1024 + 1) << true << false;
    QTest::newRow("2 MiB, not announced") << qsizetype(2 * 1024 * 1024) << false << false;
}

void TestUpdateFetch::oversizedResponseIsStopped()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, withLength);
    QFETCH(bool, ok);
    LocalHttpServer server;
    server.respond(QByteArray(size, 'x'), 200, withLength);
    const Fetched fetched = fetchFrom(server.url());
    QCOMPARE(fetched.ok, ok);
    if (ok) {
        QCOMPARE(fetched.body.size(), size);
    } else {
        QCOMPARE(fetched.error, QStringLiteral("The update script is larger than 1 MiB; the transfer was stopped."));
        QVERIFY(fetched.body.isEmpty());
    }
}

void TestUpdateFetch::silentServerTimesOut()
{
    LocalHttpServer server;
    server.keepSilent();
    const Fetched fetched = fetchFrom(server.url(), std::chrono::milliseconds(300));
    QVERIFY(!fetched.ok);
    QCOMPARE(fetched.error, QStringLiteral("The update server sent nothing for 0.3 seconds; the transfer was stopped."));
}

void TestUpdateFetch::slowServerIsWaitedFor()
{
    // Twelve pieces 60 ms apart take longer than the time-out, but the server is never silent that long.
    LocalHttpServer server;
    const QByteArray body(600, 'y');
    server.respond(body);
    server.trickle(12, std::chrono::milliseconds(60));
    const Fetched fetched = fetchFrom(server.url(), std::chrono::milliseconds(400));
    QVERIFY2(fetched.ok, qPrintable(fetched.error));
    QCOMPARE(fetched.body, body);
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
