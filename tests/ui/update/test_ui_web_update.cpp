// The update window against a server of the test's own: each report it prints, its lamps after a check, checks
// that append, fetches that fail, and a window closed while it waits.
#include "example_script.h"
#include "local_http_server.h"
#include "ui/update/web_update.h"
#include "ui_fixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

using namespace tessary;
using tessary::test::Browser;

namespace {

using Colour = LampChange::Colour;
using Lamps = QList<Colour>;

const QByteArray script = exampleScript;

QByteArray changed(const QByteArray& from, const QByteArray& to)
{
    return QByteArray(script).replace(from, to);
}

const Lamps finished{Colour::Grey, Colour::Grey, Colour::Grey, Colour::Grey, Colour::Grey, Colour::Red, Colour::Grey};

Lamps lampsOf(const WebUpdate* window)
{
    Lamps lamps;
    for (int i = 0; i < lampCount; ++i)
        lamps.append(window->report().lamp(i));
    return lamps;
}

QStringList printed(const WebUpdate* window)
{
    QStringList lines;
    for (const UpdateLine& line : window->report().lines())
        lines.append(line.text);
    return lines;
}

QStringList listed(WebUpdate* window)
{
    auto* list = window->findChild<QListWidget*>(QStringLiteral("List1"));
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

// Pure red pixels in the band the report is printed in.
bool printsRed(WebUpdate* window)
{
    const QImage shot = window->grab().toImage();
    const int band = window->findChild<QWidget*>(QStringLiteral("lblProgramVersion"))->y();
    for (int y = 0; y < band; ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                return true;
        }
    return false;
}

struct Window
{
    QTemporaryDir directory;
    QPointer<WebUpdate> window = new WebUpdate(directory.path(), nullptr);

    Window() { window->show(); }
    ~Window() { delete window; }

    bool check(const QUrl& url)
    {
        window->setScriptUrl(url);
        QSignalSpy done(window.data(), &WebUpdate::checkFinished);
        window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        return window->isChecking() ? done.wait(20000) : done.size() == 1;
    }
    bool historyWritten() const { return QFile::exists(directory.filePath(QStringLiteral("history.dat"))); }
};

} // namespace

class TestUiWebUpdate : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void reports_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("historyWritten");

        const QString version = QStringLiteral("Web Update Script Version: 0.1");
        const QString url = QStringLiteral("The URL is  http://example.org/get (420kb size)");
        const QStringList items{QStringLiteral("0.2 - Login fixed"), QStringLiteral("0.3 - New wizard pages")};
        QTest::newRow("newer, recommended")
            << script
            << QStringList{version, QStringLiteral("Most recent version is 0.3"),
                           QStringLiteral("It is highly recommended that you upgrade"), QString(), url}
            << items << QStringList{} << true;
        QTest::newRow("newer, not recommended")
            << changed("RecommendedVersion: 0.2", "RecommendedVersion: 0.1")
            << QStringList{version, QStringLiteral("Most recent version is 0.3"), QString(), url} << items
            << QStringList{} << true;
        QTest::newRow("up to date") << changed("CurrentVersion: 0.3", "CurrentVersion: 0.1")
                                    << QStringList{version, QStringLiteral("Current Version is already up to date")}
                                    << QStringList{} << QStringList{} << false;
        QTest::newRow("wrong program")
            << changed("ProgramName: Tessary", "ProgramName: Notepad")
            << QStringList{version, QStringLiteral("Wrong Program Update Script Found. Aborting."),
                           QStringLiteral(" Notepad")}
            << QStringList{} << QStringList{} << false;
        QTest::newRow("too old") << changed("WebUpdateVersion: 0.1", "WebUpdateVersion: 0.2\r\nWebUpdateCompatable: 0.2")
                                 << QStringList{} << QStringList{}
                                 << QStringList{QStringLiteral("We are too old to be doing this. I am retiring.")}
                                 << false;
        QTest::newRow("no marker") << changed("WEBUPDATE-SCRIPT-START", "")
                                   << QStringList{} << QStringList{}
                                   << QStringList{QStringLiteral("Web Update Script not found! Download a newer copy "
                                                                 "of this program from XXX")}
                                   << false;
    }

    void reports()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, items);
        QFETCH(QStringList, boxes);
        QFETCH(bool, historyWritten);

        LocalHttpServer server;
        server.respond(body);
        Window w;
        QVERIFY(w.check(server.url()));
        QCOMPARE(printed(w.window), lines);
        QCOMPARE(listed(w.window), items);
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(test::Fixture::texts(shown), boxes);
        for (const MessageBox::Shown& box : shown)
            QCOMPARE(box.title, QStringLiteral("Tessary"));
        QCOMPARE(w.historyWritten(), historyWritten);
        QCOMPARE(lampsOf(w.window), finished);
        QCOMPARE(printsRed(w.window), lines.contains(QStringLiteral("It is highly recommended that you upgrade")));
        QVERIFY(!w.window->isChecking());
    }

    void secondCheckAppends()
    {
        LocalHttpServer server;
        server.respond(script);
        Window w;
        QVERIFY(w.check(server.url()));
        const QStringList once = printed(w.window);
        QVERIFY(w.check(server.url()));
        QCOMPARE(printed(w.window), once + once);
        QCOMPARE(listed(w.window), (QStringList{QStringLiteral("0.2 - Login fixed"), QStringLiteral("0.3 - New wizard pages"),
                                                QStringLiteral("0.2 - Login fixed"), QStringLiteral("0.3 - New wizard pages")}));
        QCOMPARE(server.requestLines().size(), 2);
    }

    void failedFetch_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("timeout");

        const QString failed = QStringLiteral("The update check failed: ");
        QTest::newRow("connection refused") << QStringLiteral("refused") << failed << false << 10000;
        QTest::newRow("unknown host") << QStringLiteral("host") << failed << false << 10000;
        QTest::newRow("time-out") << QStringLiteral("silent")
                                  << QStringLiteral("The update server sent nothing for 0.3 seconds; the transfer was stopped.") << false
                                  << 300;
        QTest::newRow("over 1 MiB") << QStringLiteral("large")
                                    << QStringLiteral("The update server sent more than 1 MiB") << false << 10000;
        // The page is judged as a script, as any answer is, but the "Error" lamp tells the transfer went wrong.
        QTest::newRow("HTTP error page") << QStringLiteral("404") << QStringLiteral("Web Update Script not found!")
                                         << true << 10000;
    }

    void failedFetch()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QFETCH(bool, answered);
        QFETCH(int, timeout);

        QUrl url;
        LocalHttpServer server;
        if (failure == QLatin1String("refused")) {
            LocalHttpServer closed;
            url = closed.url();
        } else if (failure == QLatin1String("host")) {
            url = QUrl(QStringLiteral("http://no-such-host.invalid/a.txt"));
        } else {
            url = server.url();
            if (failure == QLatin1String("silent"))
                server.keepSilent();
            else if (failure == QLatin1String("large"))
                server.respond(QByteArray(1024 * 1024 + 1, 'x'));
            else
                server.respond("<html><body>404 Not Found</body></html>", 404);
        }

        Window w;
        w.window->setTimeout(std::chrono::milliseconds(timeout));
        QVERIFY(w.check(url));
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).title, QStringLiteral("Tessary"));
        QVERIFY2(shown.at(0).text.startsWith(message), qPrintable(shown.at(0).text));
        QCOMPARE(w.window->report().lamp(errorLamp), Colour::Red);
        QCOMPARE(w.window->report().lamp(5), answered ? Colour::Red : Colour::Grey);
        for (int lamp = 0; lamp < 5; ++lamp)
            QCOMPARE(w.window->report().lamp(lamp), Colour::Grey);
        QVERIFY(printed(w.window).isEmpty());
        QVERIFY(!w.historyWritten());

        // Still usable: the next check runs and puts the error out.
        LocalHttpServer good;
        good.respond(script);
        QVERIFY(w.check(good.url()));
        QCOMPARE(lampsOf(w.window), finished);
        QCOMPARE(listed(w.window).size(), 2);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
    }

    void closingDuringACheckCancelsIt()
    {
        LocalHttpServer server;
        server.keepSilent();
        Window w;
        QSignalSpy done(w.window.data(), &WebUpdate::checkFinished);
        w.window->setScriptUrl(server.url());
        w.window->Command2_Click();
        QVERIFY(w.window->isChecking());
        w.window->Command2_Click(); // a second press while one runs starts nothing
        QTRY_COMPARE(w.window->report().lamp(2), Colour::Blue); // the request is out, the answer awaited

        w.window->close();
        QTRY_COMPARE(server.dropped(), 1);
        test::flushDeletes();
        QVERIFY(w.window.isNull());
        QCOMPARE(done.size(), 0);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QVERIFY(!w.historyWritten());
    }

    void keyBrowserShowsItWithItsMenuEntryDisabled()
    {
        Browser browser;
        QVERIFY(browser.window);
        QVERIFY(!browser.window->action(QStringLiteral("menuWebUpdate"))->isEnabled());
        WebUpdate* window = browser.fixture.program->showWebUpdate();
        QVERIFY(window->isVisible());
        QCOMPARE(window->parentWidget(), static_cast<QWidget*>(browser.window));
        QVERIFY(window->isModal());
        QCOMPARE(browser.fixture.program->showWebUpdate(), window);

        LocalHttpServer server;
        server.respond(script);
        window->setScriptUrl(server.url());
        QSignalSpy done(window, &WebUpdate::checkFinished);
        window->Command2_Click();
        QVERIFY(done.wait(20000));
        QVERIFY(browser.fixture.exists(QStringLiteral("history.dat")));
    }
};

QTEST_MAIN(TestUiWebUpdate)
#include "test_ui_web_update.moc"
