// The lock: what starts it, every window of the session closed without storing what it had not stored, the
// clipboard, the key ring let go and read afresh at the next login, and the Options window.
#include "app/program_options.h"
#include "storage/file_lock.h"
#include "ui/about/frm_about.h"
#include "ui/browser/password_clipboard.h"
#include "ui/flow/auto_lock.h"
#include "ui/flow/screen_lock_watcher.h"
#include "ui/flow/tessary_tray.h"
#include "ui/health/key_health_report.h"
#include "ui/key_properties/change_password.h"
#include "ui/key_properties/modify_key.h"
#include "ui/login/login_form.h"
#include "ui/master_password/change_master_password.h"
#include "ui/options/options_window.h"
#include "ui/security/key_ring_security.h"
#include "ui/update/web_update.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/password_box.h"
#include "ui/widgets/slow_work.h"
#include "ui/wizard/new_key.h"
#include "ui_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>

using namespace tessary;
using namespace std::chrono_literals;
using tessary::test::Fixture;
using tessary::test::flushDeletes;

namespace {

// Ann logged in over alpha, beta and gamma, on a clock the test moves.
struct Locking
{
    Fixture fixture;
    IdleMoment now{100h, 100h};
    KeyBrowser* window = nullptr;

    Locking()
    {
        fixture.program.reset();
        fixture.program = std::make_unique<Program>(
            Program::Options{fixture.directory.path(), true, [this] { ++fixture.ends; }, [this] { return now; }});
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), {"alpha", "beta", "gamma"});
        fixture.addUser(QStringLiteral("Bob"), QStringLiteral("pw2"));
        fixture.program->startProgram({QStringLiteral("/s")});
        logIn(QStringLiteral("pw"));
    }

    Program& program() { return *fixture.program; }
    // By the login window, as a user would.
    void logIn(const QString& password, const QString& user = {})
    {
        program().showLoginForm();
        LoginForm* form = program().loginForm();
        if (!user.isEmpty())
            form->findChild<QComboBox*>(QStringLiteral("LoginNames"))->setCurrentText(user);
        form->findChild<PasswordBox*>(QStringLiteral("passwordBox"))->setText(password);
        form->DoneButton_Click();
        window = program().keyBrowser();
    }
    bool locked() const { return !fixture.program->session().isLoggedIn(); }
    // The windows shown, by name.
    static QStringList shown()
    {
        flushDeletes();
        QStringList names;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                names << window->objectName();
        return names;
    }
};

} // namespace

class TestUiLock : public QObject
{
    Q_OBJECT
private slots:
    void triggers_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("onScreenLock");
        QTest::addColumn<bool>("locks");
        QTest::newRow("File > Lock") << "menuLock" << true << true;
        QTest::newRow("File > Log Out") << "menuLogOut" << true << true;
        QTest::newRow("the tray's Lock") << "tray" << true << true;
        QTest::newRow("the screen saver starts") << "active" << true << true;
        QTest::newRow("the screen saver stops") << "inactive" << true << false;
        QTest::newRow("logind locks the session") << "logind" << true << true;
        QTest::newRow("before a sleep") << "sleep" << true << true;
        QTest::newRow("screen lock, not in Options") << "active" << false << false;
        QTest::newRow("a minute and a second idle") << "idle" << false << true;
        QTest::newRow("a minute idle, after input") << "input" << false << false;
        QTest::newRow("a sleep past the timeout, on waking") << "wake" << false << true;
    }

    void triggers()
    {
        QFETCH(QString, trigger);
        QFETCH(bool, onScreenLock);
        QFETCH(bool, locks);
        Locking locking;
        locking.program().applyOptions(ProgramOptions{1, onScreenLock, 60, true});
        ScreenLockWatcher* watcher = locking.program().autoLock()->screenLockWatcher();
        QVERIFY(locking.program().tray()->lockItem()->isVisible());
        if (trigger.startsWith(QLatin1String("menu")))
            locking.window->action(trigger)->trigger();
        else if (trigger == QLatin1String("tray"))
            locking.program().tray()->lockItem()->trigger();
        else if (trigger == QLatin1String("active") || trigger == QLatin1String("inactive"))
            watcher->activeChanged(trigger == QLatin1String("active"));
        else if (trigger == QLatin1String("logind"))
            watcher->sessionLock();
        else if (trigger == QLatin1String("sleep"))
            watcher->prepareForSleep(true);
        else {
            locking.now.awake += 30s;
            locking.now.elapsed += 30s;
            if (trigger == QLatin1String("input"))
                QTest::keyClick(locking.window->keyView(), Qt::Key_Shift);
            locking.now.awake += 31s;
            locking.now.elapsed += trigger == QLatin1String("wake") ? 2h : 31s;
            if (trigger == QLatin1String("wake"))
                watcher->prepareForSleep(false);
            else
                locking.program().autoLock()->check();
        }
        QCOMPARE(locking.locked(), locks);
        QCOMPARE(Locking::shown(),
                 locks ? QStringList{QStringLiteral("loginForm")} : QStringList{QStringLiteral("keyBrowser")});
        if (!locks)
            return;
        LoginForm* form = locking.program().loginForm();
        QCOMPARE(form->windowTitle(), QStringLiteral("Tessary Login"));
        QCOMPARE(form->findChild<QComboBox*>(QStringLiteral("LoginNames"))->currentText(), QStringLiteral("Ann"));
        QCOMPARE(form->focusWidget(), form->findChild<PasswordBox*>(QStringLiteral("passwordBox")));
        QVERIFY(!locking.program().tray()->lockItem()->isVisible());
        QCOMPARE(locking.program().tray()->loginItem()->text(), QStringLiteral("&Login"));
        QVERIFY(!locking.program().autoLock()->isArmed());
    }

    // Whatever is open closes, and what it held but had not stored is not stored.
    void everyWindowCloses_data()
    {
        QTest::addColumn<QString>("open");
        for (const char* open : {"Key Properties", "Change Password", "Change Master Password", "wizard", "Key Health",
                                 "About", "Web Update", "Options", "Key Ring Security", "rename in place",
                                 "question box"})
            QTest::newRow(open) << QString::fromLatin1(open);
    }

    void everyWindowCloses()
    {
        QFETCH(QString, open);
        Locking locking;
        Program& program = locking.program();
        const QByteArray ring = fileBytes(locking.fixture.path(QStringLiteral("Ann.keyRing")));
        QWidget* window = nullptr;
        if (open == QLatin1String("Key Properties"))
            window = program.showKeyProperties(QStringLiteral("alpha"));
        else if (open == QLatin1String("Change Password"))
            window = program.showChangePassword(QStringLiteral("alpha"));
        else if (open == QLatin1String("Change Master Password"))
            window = program.showChangeMasterPassword();
        else if (open == QLatin1String("wizard"))
            window = program.showNewKey();
        else if (open == QLatin1String("Key Health"))
            window = program.showKeyHealth();
        else if (open == QLatin1String("About"))
            window = program.showAbout();
        else if (open == QLatin1String("Web Update"))
            window = program.showWebUpdate();
        else if (open == QLatin1String("Options"))
            window = program.showOptions();
        else if (open == QLatin1String("Key Ring Security"))
            window = program.showKeyRingSecurity();
        else if (open == QLatin1String("rename in place"))
            locking.window->startRename();
        if (window) {
            QVERIFY(window->isVisible());
            for (QLineEdit* field : window->findChildren<QLineEdit*>())
                if (!field->isReadOnly())
                    field->setText(QStringLiteral("typed"));
            for (QPlainTextEdit* notes : window->findChildren<QPlainTextEdit*>())
                QTest::keyClicks(notes, QStringLiteral("typed"));
        }
        if (open == QLatin1String("rename in place")) {
            QLineEdit* editor = locking.window->keyView()->currentView()->findChild<QLineEdit*>();
            QVERIFY(editor && editor->isVisible());
            editor->setText(QStringLiteral("typed"));
        }
        if (open == QLatin1String("question box")) {
            // A real box, waiting in its own event loop when the lock comes.
            MessageBox::setRecording(false);
            QTimer::singleShot(50, &program, &Program::lockSession);
            locking.window->deleteKey();
            MessageBox::setRecording(true);
        } else {
            program.lockSession();
        }
        QCOMPARE(Locking::shown(), QStringList{QStringLiteral("loginForm")});
        QCOMPARE(fileBytes(locking.fixture.path(QStringLiteral("Ann.keyRing"))), ring);
    }

    // A key being made on its own thread keeps the secrets it reads: a lock that comes meanwhile waits for it.
    void lockWaitsForSlowWork()
    {
        Locking locking;
        QTimer::singleShot(10, &locking.program(), &Program::lockSession);
        bool loggedInThroughout = true;
        runSlowWork([&] {
            for (int step = 0; step < 20; ++step) {
                QThread::msleep(10);
                loggedInThroughout = loggedInThroughout && locking.fixture.program->session().isLoggedIn();
            }
        });
        QVERIFY(loggedInThroughout);
        QTRY_VERIFY(locking.locked());
        QCOMPARE(Locking::shown(), QStringList{QStringLiteral("loginForm")});
    }

    void clipboard_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QString>("left");
        QTest::newRow("still our password: cleared") << false << QString();
        QTest::newRow("the user's own text since: kept") << true << QStringLiteral("mine");
    }

    void clipboard()
    {
        QFETCH(bool, replaced);
        QFETCH(QString, left);
        Locking locking;
        locking.window->copyPassword(1);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("secret-alpha"));
        if (replaced)
            QGuiApplication::clipboard()->setText(QStringLiteral("mine"));
        locking.program().lockSession();
        QCOMPARE(QGuiApplication::clipboard()->text(), left);
    }

    // The key ring is free while locked, read afresh at the next login, and the key browser is back as it was;
    // another user may log in instead.
    void loginAfterTheLock()
    {
        Locking locking;
        const QString ring = locking.fixture.path(QStringLiteral("Ann.keyRing"));
        locking.window->switchView(KeyView::SmallIcon);
        locking.window->keyView()->selectRow(2);
        FileLock cli(ring);
        QVERIFY(!cli.tryLock(0ms));
        locking.program().lockSession();
        QVERIFY(cli.tryLock(0ms));
        cli.unlock();
        Session writer(locking.fixture.directory.path());
        QVERIFY(writer.login(QStringLiteral("Ann"), QStringLiteral("pw")).succeeded());
        KeyRecord added;
        added.name = "delta";
        QCOMPARE(writer.keyTable().addKey(added), KeyTable::AddResult::Added);
        QVERIFY(writer.save());
        QVERIFY(writer.logOut());

        locking.logIn(QStringLiteral("pw"));
        QVERIFY(locking.window);
        QCOMPARE(locking.window->model()->rowCount(), 4);
        QCOMPARE(locking.window->keyView()->viewMode(), KeyView::SmallIcon);
        QCOMPARE(locking.window->keyView()->selectedRow(), 2);
        QVERIFY(locking.program().autoLock()->isArmed());

        locking.window->action(QStringLiteral("menuLogOut"))->trigger();
        locking.logIn(QStringLiteral("pw2"), QStringLiteral("Bob"));
        QCOMPARE(locking.program().session().currentUserName(), QStringLiteral("Bob"));
        QCOMPARE(locking.window->model()->rowCount(), 0);
    }

    // OK stores the choice and puts it in force at once; Cancel and Esc drop it.
    void options_data()
    {
        QTest::addColumn<QString>("close");
        QTest::addColumn<bool>("kept");
        QTest::newRow("OK") << "okButton" << true;
        QTest::newRow("Cancel") << "cancelButton" << false;
        QTest::newRow("Esc") << "Esc" << false;
    }

    void options()
    {
        QFETCH(QString, close);
        QFETCH(bool, kept);
        Locking locking;
        OptionsWindow* window = locking.program().showOptions();
        QCOMPARE(window->chosen(), ProgramOptions{});
        window->findChild<QSpinBox*>(QStringLiteral("idleMinutes"))->setValue(0);
        window->findChild<QSpinBox*>(QStringLiteral("clipboardSeconds"))->setValue(15);
        if (close == QLatin1String("Esc"))
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->findChild<QPushButton*>(close)->click();
        QVERIFY(!window->isVisible());
        const ProgramOptions expected = kept ? ProgramOptions{0, true, 15, true} : ProgramOptions{};
        QCOMPARE(readProgramOptions(), expected);
        QCOMPARE(locking.program().autoLock()->rule().timeout().count(), expected.lockAfterIdleMinutes);
        QCOMPARE(locking.window->passwordClipboard()->countdownLength(), expected.clipboardSeconds);
    }
};

QTEST_MAIN(TestUiLock)
#include "test_ui_lock.moc"
