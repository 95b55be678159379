// Start-up, the tray's menu and its mouse messages, login completion's traces and the shutdown order.
#include "app/tray_messages.h"
#include "ui/browser/key_browser.h"
#include "ui/flow/process_guard.h"
#include "ui/flow/tessary_tray.h"
#include "ui/login/login_form.h"
#include "ui/login/new_user.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>

#include <csignal>

using namespace tessary;

Q_DECLARE_METATYPE(tessary::TrayAction)
using tessary::test::Fixture;

class TestUiStartup : public QObject
{
    Q_OBJECT

    static QString shownWindow(Program& program)
    {
        QStringList shown;
        if (program.loginForm() && program.loginForm()->isVisible())
            shown << QStringLiteral("loginForm");
        if (program.newUser() && program.newUser()->isVisible())
            shown << QStringLiteral("newUser");
        if (program.keyBrowser() && program.keyBrowser()->isVisible())
            shown << QStringLiteral("keyBrowser");
        return shown.join(QLatin1Char(','));
    }

private slots:
    void activationReasons_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<TrayAction>("action");
        QTest::newRow("left click") << QSystemTrayIcon::Trigger << TrayAction::MenuWithDefault;
        QTest::newRow("right click") << QSystemTrayIcon::Context << TrayAction::MenuWithoutDefault;
        QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << TrayAction::FirstItem;
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << TrayAction::Nothing;
        QTest::newRow("unknown") << QSystemTrayIcon::Unknown << TrayAction::Nothing;
    }

    void activationReasons()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(TrayAction, action);
        QCOMPARE(decodeTrayMessage(trayMessageFor(reason)), action);
    }

    void terminationSignals_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }

    void terminationSignals()
    {
        QFETCH(int, number);
        TerminationWatcher watcher;
        QSignalSpy requested(&watcher, &TerminationWatcher::terminationRequested);
        QCOMPARE(::raise(number), 0);
        QVERIFY(requested.wait(2000));
        QCOMPARE(requested.count(), 1);
        QCOMPARE(requested.first().first().toInt(), number);
    }

    void startProgram_data()
    {
        QTest::addColumn<bool>("userList");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QString>("window");
        const QStringList none;
        const QStringList s{QStringLiteral("/s")};
        QTest::newRow("no user list") << false << none << true << QStringLiteral("newUser");
        QTest::newRow("user list") << true << none << true << QStringLiteral("loginForm");
        QTest::newRow("/s") << true << s << true << QString();
        QTest::newRow("/S, no user list") << false << QStringList{QStringLiteral("/S")} << true << QString();
        QTest::newRow("/silent") << true << QStringList{QStringLiteral("/silent")} << true << QString();
        QTest::newRow("path with /s") << true << QStringList{QStringLiteral("/srv/x")} << true << QString();
        QTest::newRow("-s") << true << QStringList{QStringLiteral("-s")} << true << QStringLiteral("loginForm");
        // Without a tray "/s" would leave nothing to reach the program by.
        QTest::newRow("/s, no tray") << true << s << false << QStringLiteral("loginForm");
        QTest::newRow("/s, no tray, no list") << false << s << false << QStringLiteral("newUser");
    }

    void startProgram()
    {
        QFETCH(bool, userList);
        QFETCH(QStringList, arguments);
        QFETCH(bool, tray);
        QFETCH(QString, window);
        Fixture fixture(tray);
        if (userList)
            fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        fixture.program->startProgram(arguments);
        QCOMPARE(shownWindow(*fixture.program), window);
        QCOMPARE(fixture.program->tray()->isIconShown(), tray);
        QCOMPARE(fixture.ends, 0);
        // Start-up reads no key ring: nobody is logged in and nothing new was written.
        QVERIFY(!fixture.program->session().isLoggedIn());
        QCOMPARE(fixture.exists(QStringLiteral("Ann.keyRing")), userList);
    }

    void trayMenu()
    {
        Fixture fixture;
        fixture.program->startProgram({QStringLiteral("/s")});
        TessaryTray* tray = fixture.program->tray();
        QCOMPARE(tray->icon()->toolTip(), QStringLiteral("Tessary"));
        QVERIFY(!tray->icon()->icon().isNull());
        const QList<QAction*> items = tray->popupMenu()->actions();
        QCOMPARE(items.size(), 5);
        QCOMPARE(items[0]->objectName(), QStringLiteral("mnuLogin"));
        QCOMPARE(items[0]->text(), QStringLiteral("&Login"));
        QVERIFY(items[0]->isEnabled());
        QCOMPARE(items[1]->text(), QStringLiteral("Loc&k"));
        QVERIFY(!items[1]->isVisible()); // nobody logged in
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(items[3]->text(), QStringLiteral("&Options..."));
        QVERIFY(items[3]->isEnabled());
        QCOMPARE(items[4]->text(), QStringLiteral("&Exit"));
        QVERIFY(items[4]->isEnabled());
    }

    void trayMessages_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("menuShown");
        QTest::addColumn<bool>("boldFirstItem");
        QTest::addColumn<QString>("window");
        QTest::newRow("513 left down") << 513 << true << true << QString();
        QTest::newRow("516 right down") << 516 << true << false << QString();
        QTest::newRow("515 left double") << 515 << false << false << QStringLiteral("loginForm");
        QTest::newRow("518 right double") << 518 << false << false << QStringLiteral("loginForm");
        QTest::newRow("512 move") << 512 << false << false << QString();
        QTest::newRow("514 left up") << 514 << false << false << QString();
        QTest::newRow("517 right up") << 517 << false << false << QString();
    }

    void trayMessages()
    {
        QFETCH(int, message);
        QFETCH(bool, menuShown);
        QFETCH(bool, boldFirstItem);
        QFETCH(QString, window);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        fixture.program->startProgram({QStringLiteral("/s")});
        TessaryTray* tray = fixture.program->tray();
        tray->Form_MouseMove(message);
        QCOMPARE(tray->popupMenu()->isVisible(), menuShown);
        if (menuShown)
            QCOMPARE(tray->popupMenu()->defaultAction() == tray->loginItem(), boldFirstItem);
        QCOMPARE(shownWindow(*fixture.program), window);
        tray->popupMenu()->hide();
    }

    void trayDoubleClickClosesTheMenu()
    {
        Fixture fixture;
        fixture.program->startProgram({QStringLiteral("/s")});
        TessaryTray* tray = fixture.program->tray();
        tray->Form_MouseMove(513);
        tray->Form_MouseMove(515);
        QVERIFY(!tray->popupMenu()->isVisible());
        QCOMPARE(shownWindow(*fixture.program), QStringLiteral("newUser"));
    }

    // The menu opened by the first press takes the mouse, so the second press of a double click comes to it.
    void trayDoubleClickThroughTheMenu_data()
    {
        QTest::addColumn<int>("firstPress");
        QTest::addColumn<Qt::MouseButton>("secondButton");
        QTest::addColumn<QPoint>("moved");
        QTest::addColumn<QString>("window");
        QTest::newRow("left twice") << 513 << Qt::LeftButton << QPoint(1, 1) << QStringLiteral("loginForm");
        QTest::newRow("right twice") << 516 << Qt::RightButton << QPoint(0, 0) << QStringLiteral("loginForm");
        QTest::newRow("left, then right") << 513 << Qt::RightButton << QPoint(0, 0) << QString();
        QTest::newRow("second press far away") << 516 << Qt::RightButton << QPoint(-300, -200) << QString();
    }

    void trayDoubleClickThroughTheMenu()
    {
        QFETCH(int, firstPress);
        QFETCH(Qt::MouseButton, secondButton);
        QFETCH(QPoint, moved);
        QFETCH(QString, window);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        fixture.program->startProgram({QStringLiteral("/s")});
        TessaryTray* tray = fixture.program->tray();
        // Near the bottom right corner, as a notification area is: the menu opens above and to the left.
        const QPoint icon = QGuiApplication::primaryScreen()->geometry().bottomRight() - QPoint(20, 8);
        QCursor::setPos(icon);
        tray->Form_MouseMove(firstPress);
        QMenu* menu = tray->popupMenu();
        QVERIFY(menu->isVisible());
        QVERIFY(!menu->geometry().contains(icon + moved));
        const QPoint global = icon + moved;
        QMouseEvent press(QEvent::MouseButtonPress, menu->mapFromGlobal(global), global, secondButton, secondButton,
                          Qt::NoModifier);
        QApplication::sendEvent(menu, &press);
        QCOMPARE(shownWindow(*fixture.program), window);
        if (!window.isEmpty())
            QVERIFY(!menu->isVisible());
        menu->hide();
    }

    void trayLoginItemFollowsTheUserList()
    {
        Fixture fixture;
        fixture.program->startProgram({QStringLiteral("/s")});
        TessaryTray* tray = fixture.program->tray();
        tray->loginItem()->trigger();
        QCOMPARE(shownWindow(*fixture.program), QStringLiteral("newUser"));

        for (const char* field : {"Text2", "Text3"})
            fixture.program->newUser()->findChild<QLineEdit*>(QLatin1String(field))->setText(QStringLiteral("a"));
        fixture.program->newUser()->cmdNav_Click(NewUser::Finish);
        QCOMPARE(shownWindow(*fixture.program), QStringLiteral("keyBrowser"));
        QCOMPARE(tray->loginItem()->text(), keyBrowserItemCaption());

        // After a login the item is what it says: the key browser, raised even when it was hidden.
        fixture.program->keyBrowser()->hide();
        tray->loginItem()->trigger();
        QCOMPARE(shownWindow(*fixture.program), QStringLiteral("keyBrowser"));
        QCOMPARE(tray->loginItem()->text(), QStringLiteral("Key Browser"));
    }

    void exitRemovesTheIconAndEnds()
    {
        Fixture fixture;
        fixture.program->startProgram({QStringLiteral("/s")});
        QVERIFY(fixture.program->tray()->isIconShown());
        fixture.program->tray()->popupMenu()->findChild<QAction*>(QStringLiteral("mnuQuit"))->trigger();
        QVERIFY(!fixture.program->tray()->isIconShown());
        QCOMPARE(fixture.ends, 1);
        QVERIFY(fixture.program->hasEnded());
    }

    void shutdownOrderAndSave()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), {"mail"});
        Program& program = *fixture.program;
        program.startProgram({});
        QVERIFY(program.session().login(QStringLiteral("Ann"), QStringLiteral("pw")).succeeded());
        program.completeLogin();
        program.showNewUserWindow();
        program.showLoginForm();

        KeyRecord added;
        added.name = "bank";
        QCOMPARE(program.session().keyTable().addKey(added), KeyTable::AddResult::Added);

        QStringList order;
        QStringList keysWhenTrayWent;
        connect(&program, &Program::windowUnloaded, this, [&](const QString& name) {
            order << name;
            if (name == QLatin1String("TessaryTray"))
                for (const QByteArray& key : fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")))
                    keysWhenTrayWent << QString::fromLatin1(key);
        });
        program.shutdownProgram();
        QCOMPARE(order, (QStringList{QStringLiteral("keyBrowser"), QStringLiteral("TessaryTray"),
                                     QStringLiteral("loginForm"), QStringLiteral("newUser")}));
        // The key ring was written before the icon went.
        QCOMPARE(keysWhenTrayWent, (QStringList{QStringLiteral("mail"), QStringLiteral("bank")}));
        QCOMPARE(fixture.ends, 1);
        QCOMPARE(shownWindow(program), QString());
        QVERIFY(!program.tray()->isIconShown());

        // No box may keep the ended process up.
        MessageBox::show(nullptr, QStringLiteral("late"));
        QVERIFY(MessageBox::takeRecorded().isEmpty());

        program.shutdownProgram(); // a second call (the key browser's unload calls it again) does nothing more
        QCOMPARE(fixture.ends, 1);
        QCOMPARE(order.size(), 4);
    }

    void quittingBeforeALoginWritesNothing()
    {
        Fixture fixture;
        QCOMPARE(addUser(fixture.path(QString::fromLatin1(userListFileName)), QStringLiteral("Bob")).status,
                 UserAddition::Status::Added);
        fixture.program->startProgram({});
        fixture.program->loginForm()->Command1_Click();
        QCOMPARE(fixture.ends, 1);
        QCOMPARE(QDir(fixture.directory.path()).entryList(QDir::Files),
                 QStringList{QString::fromLatin1(userListFileName)});
    }

    void closingTheLastWindow_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("userList");
        QTest::addColumn<int>("ends");
        QTest::newRow("login window, tray") << true << true << 0;
        QTest::newRow("login window, no tray") << false << true << 1;
        QTest::newRow("new user window, tray") << true << false << 0;
        QTest::newRow("new user window, no tray") << false << false << 1;
    }

    void closingTheLastWindow()
    {
        QFETCH(bool, tray);
        QFETCH(bool, userList);
        QFETCH(int, ends);
        Fixture fixture(tray);
        if (userList)
            fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        fixture.program->startProgram({});
        QWidget* window = userList ? static_cast<QWidget*>(fixture.program->loginForm())
                                   : static_cast<QWidget*>(fixture.program->newUser());
        QVERIFY(window->close());
        QCOMPARE(fixture.ends, ends);
        QCOMPARE(shownWindow(*fixture.program), QString());
        // Nothing was created by closing.
        QCOMPARE(fixture.exists(QStringLiteral("Username.keyRing")), false);
    }

    void closingTheKeyBrowserSavesAndEnds()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        fixture.program->startProgram({});
        QVERIFY(fixture.program->session().login(QStringLiteral("Ann"), QStringLiteral("pw")).succeeded());
        fixture.program->completeLogin();
        KeyRecord added;
        added.name = "late";
        fixture.program->session().keyTable().addKey(added);
        QVERIFY(fixture.program->keyBrowser()->close());
        QCOMPARE(fixture.ends, 1);
        QCOMPARE(fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw")), QList<QByteArray>{"late"});
    }
};

QTEST_MAIN(TestUiStartup)
#include "test_ui_startup.moc"
