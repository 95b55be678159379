// The key properties window: filling it, the buttons that store and save, the password kept from edits, its Show
// toggle, the Tab order and a key that cannot be found.
#include "cli/cli_runner.h"
#include "small_disk.h"
#include "ui/browser/key_browser.h"
#include "ui/flow/tessary_tray.h"
#include "ui/key_properties/change_password.h"
#include "ui/key_properties/modify_key.h"
#include "ui/login/login_form.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QWindow>

using namespace tessary;
using tessary::test::Browser;
using tessary::test::Fixture;

namespace {

template <typename Widget> Widget* field(ModifyKey* window, const char* name)
{
    return window->findChild<Widget*>(QLatin1String(name));
}

ModifyKey* openFor(Browser& browser, int row)
{
    browser.select(row);
    browser.window->action(QStringLiteral("menuKeyProperties"))->trigger();
    return browser.fixture.program->modifyKey();
}

} // namespace

class TestUiModifyKey : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    void showsTheSelectedKey()
    {
        Browser browser;
        browser.table().slot(2).description = "notes\r\non beta";
        ModifyKey* window = openFor(browser, 1);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Key Properties"));
        QCOMPARE(window->windowModality(), Qt::ApplicationModal);
        QCOMPARE(window->parentWidget(), static_cast<QWidget*>(browser.window));
        QCOMPARE(window->keySlot(), 2);
        QCOMPARE(field<QLineEdit>(window, "keyName")->text(), QStringLiteral("beta"));
        QVERIFY(field<QLineEdit>(window, "keyName")->isReadOnly());
        QCOMPARE(field<QLineEdit>(window, "keyURL")->text(), QStringLiteral("https://beta.example"));
        QCOMPARE(field<QLineEdit>(window, "keyUsername")->text(), QStringLiteral("user-beta"));
        QCOMPARE(field<QPlainTextEdit>(window, "keyDescription")->toPlainText(), QStringLiteral("notes\non beta"));
        QCOMPARE(field<QLineEdit>(window, "keyPassword")->text(), QStringLiteral("secret-beta"));
        QCOMPARE(field<QLineEdit>(window, "keyPassword")->echoMode(), QLineEdit::Password);
        QVERIFY(field<QLineEdit>(window, "keyPassword")->isReadOnly());
        QVERIFY(!window->passwordRevealed());
    }

    void otherWindowsWaitWhileItIsOpen()
    {
        // A login through the tray while a key is open would store its fields into another user's table.
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        browser.fixture.program->showLoginForm();
        QWidget* login = browser.fixture.program->loginForm();
        QVERIFY(QTest::qWaitForWindowExposed(login));
        // Through the window system, where a modal window blocks the clicks on others.
        const QPushButton* cancel = login->findChild<QPushButton*>(QStringLiteral("Command1"));
        const QPoint onCancel = cancel->mapTo(login, cancel->rect().center());
        QTest::mouseClick(login->windowHandle(), Qt::LeftButton, {}, onCancel);
        QCOMPARE(browser.fixture.ends, 0);
        window->cmdNav_Click(6);
        QTest::mouseClick(login->windowHandle(), Qt::LeftButton, {}, onCancel);
        QCOMPARE(browser.fixture.ends, 1);
    }

    // The tray's first item, while the window waits for an answer, brings it forward instead of opening a login
    // window nobody could reach.
    void theTrayBringsItForward()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        QVERIFY(QTest::qWaitForWindowActive(window));
        browser.window->activateWindow();
        browser.fixture.program->tray()->mnuLogin_Click();
        QVERIFY(!browser.fixture.program->loginForm());
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window));
        // Any click on the icon: no menu that could not be used, the window in front.
        TessaryTray* tray = browser.fixture.program->tray();
        for (int message : {TrayMessage::LeftButtonDown, TrayMessage::RightButtonDown}) {
            browser.window->activateWindow();
            tray->Form_MouseMove(message);
            QVERIFY(!tray->popupMenu()->isVisible());
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window));
        }
    }

    void popupOpensItToo()
    {
        Browser browser;
        browser.select(2);
        browser.window->action(QStringLiteral("popUpKeyProps"))->trigger();
        QCOMPARE(browser.fixture.program->modifyKey()->keySlot(), 3);
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("stores");
        QTest::addColumn<bool>("closes");
        QTest::newRow("OK stores and closes") << QStringLiteral("cmdNav_6") << true << true;
        QTest::newRow("Apply stores and stays") << QStringLiteral("cmdNav_1") << true << false;
        QTest::newRow("Cancel closes and stores nothing") << QStringLiteral("cmdNav_0") << false << true;
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(bool, stores);
        QFETCH(bool, closes);
        Browser browser;
        const KeyRecord before = ownCopy(browser.table().slot(1)); // the change wipes the old texts in place
        ModifyKey* window = openFor(browser, 0);
        field<QLineEdit>(window, "keyURL")->setText(QStringLiteral("https://new.example"));
        field<QLineEdit>(window, "keyUsername")->setText(QStringLiteral("new user"));
        field<QPlainTextEdit>(window, "keyDescription")->setPlainText(QStringLiteral("new notes"));
        field<QLineEdit>(window, "keyPassword")->setText(QStringLiteral("not stored"));
        QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(window->isVisible(), !closes);
        const KeyRecord& record = browser.table().slot(1);
        QCOMPARE(record.url, stores ? QByteArray("https://new.example") : before.url);
        QCOMPARE(record.userName, stores ? QByteArray("new user") : before.userName);
        QCOMPARE(record.description, stores ? QByteArray("new notes") : before.description);
        QCOMPARE(record.password, before.password);
        // A stored change is enciphered under a fresh salt.
        QCOMPARE(record.salt != before.salt, stores);
        QCOMPARE(browser.window->model()->index(0, KeyTableModel::UrlColumn).data().toByteArray(), record.url);
        // In the file at once.
        Session reader(browser.fixture.directory.path());
        QVERIFY(reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QCOMPARE(reader.keyTable().slot(1).userName, record.userName);
        QCOMPARE(reader.keyTable().slot(1).password, before.password);
    }

    // Apply twice with nothing changed in between keeps the salt the first gave.
    void applyingNothingNewKeepsTheSalt()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        field<QLineEdit>(window, "keyURL")->setText(QStringLiteral("https://new.example"));
        window->cmdNav_Click(ModifyKey::Apply);
        const QByteArray salt = browser.table().slot(1).salt;
        window->cmdNav_Click(ModifyKey::Apply);
        window->cmdNav_Click(ModifyKey::Ok);
        QCOMPARE(browser.table().slot(1).salt, salt);
    }

    void descriptionLineBreaks_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed"); // empty: left as shown
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("CR LF, untouched") << QByteArray("one\r\ntwo") << QString() << QByteArray("one\r\ntwo");
        QTest::newRow("bare LF, untouched") << QByteArray("one\ntwo") << QString() << QByteArray("one\ntwo");
        QTest::newRow("edited") << QByteArray("one\r\ntwo") << QStringLiteral("one\ntwo\nthree")
                                << QByteArray("one\r\ntwo\r\nthree");
    }

    void descriptionLineBreaks()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(QByteArray, result);
        Browser browser;
        browser.table().slot(1).description = stored;
        ModifyKey* window = openFor(browser, 0);
        if (!typed.isEmpty())
            field<QPlainTextEdit>(window, "keyDescription")->setPlainText(typed);
        window->cmdNav_Click(ModifyKey::Ok);
        QCOMPARE(browser.table().slot(1).description, result);
    }

    // One key's notes typed here and another's given to tessary-cli: the same bytes in the key ring.
    void notesStoreAsTheCommandLineStoresThem()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        auto* notes = field<QPlainTextEdit>(window, "keyDescription");
        notes->clear();
        notes->setFocus();
        QTest::keyClicks(notes, QStringLiteral("one"));
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, QStringLiteral("two"));
        window->cmdNav_Click(6);
        const QString directory = browser.fixture.directory.path();
        browser.fixture.program->shutdownProgram(); // saves
        browser.fixture.program.reset();            // and lets its lock go

        const CliRun run = runCli({QStringLiteral("--dir"), directory, QStringLiteral("edit"), QStringLiteral("Ann"),
                                   QStringLiteral("beta"), QStringLiteral("--notes"), QStringLiteral("one\n\ntwo")},
                                  "pw\n");
        QCOMPARE(run.exitCode, 0);
        Session reader(directory);
        QVERIFY(reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QCOMPARE(reader.keyTable().slot(1).description, QByteArray("one\r\n\r\ntwo"));
        QCOMPARE(reader.keyTable().slot(2).description, reader.keyTable().slot(1).description);
    }

    // Tab walks the window top to bottom, the password field and its Show among the rest, the buttons last; Alt+H
    // shows the password and hides it again, and the next opening starts hidden.
    void tabOrderAndShow()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QStringList walked;
        for (int i = 0; i < 11; ++i) {
            walked << window->focusWidget()->objectName();
            QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked,
                 (QStringList{QStringLiteral("keyURL"), QStringLiteral("keyUsername"), QStringLiteral("keyPassword"),
                              QStringLiteral("showPassword"), QStringLiteral("Command1"), QStringLiteral("Command3"),
                              QStringLiteral("keyDescription"), QStringLiteral("cmdNav_6"), QStringLiteral("cmdNav_1"),
                              QStringLiteral("cmdNav_0"), QStringLiteral("keyName")}));
        auto* password = field<QLineEdit>(window, "keyPassword");
        QTest::keyClick(window->focusWidget(), Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(window->passwordRevealed());
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
        // Typing in it changes nothing.
        password->setFocus();
        QTest::keyClicks(password, QStringLiteral("typed"));
        QCOMPARE(password->text(), QStringLiteral("secret-alpha"));
        window->cmdNav_Click(ModifyKey::Ok);
        window = openFor(browser, 1);
        QVERIFY(!window->passwordRevealed());
    }

    // A save that fails says why, keeps the window and its edits, and the key as the file holds it.
    void aFailedSaveKeepsTheWindow()
    {
        Browser browser;
        const KeyRecord before = ownCopy(browser.table().slot(1)); // the change wipes the old texts in place
        const QByteArray file = fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing")));
        ModifyKey* window = openFor(browser, 0);
        field<QLineEdit>(window, "keyURL")->setText(QStringLiteral("https://new.example"));
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            window->cmdNav_Click(ModifyKey::Ok);
        }
        const QStringList shown = Fixture::texts(MessageBox::takeRecorded());
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(QStringLiteral("could not be saved")), qPrintable(shown.first()));
        QVERIFY(window->isVisible());
        QCOMPARE(field<QLineEdit>(window, "keyURL")->text(), QStringLiteral("https://new.example"));
        QCOMPARE(browser.table().slot(1), before);
        QCOMPARE(fileBytes(browser.fixture.path(QStringLiteral("Ann.keyRing"))), file);
        window->cmdNav_Click(ModifyKey::Ok);
        QVERIFY(!window->isVisible());
        QCOMPARE(browser.table().slot(1).url, QByteArray("https://new.example"));
    }

    void secondKeyShowsOnlyItsPassword()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        window->cmdNav_Click(6);
        window = openFor(browser, 2);
        QCOMPARE(field<QLineEdit>(window, "keyPassword")->text(), QStringLiteral("secret-gamma"));
        QCOMPARE(window->keySlot(), 3);
    }

    void keyNotFoundStoresNothing()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        window->cmdNav_Click(6);
        QVERIFY(!window->ResetDisplay(QStringLiteral("ghost")));
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 QStringList{QStringLiteral("Bargh, Humbug! This might not work...\n\r[ModifyKey - ResetDisplay - "
                                            "ghost (-1)! ]")});
        QCOMPARE(window->keySlot(), -1);
        // The other fields keep alpha's values, and the buttons store them nowhere.
        QCOMPARE(field<QLineEdit>(window, "keyURL")->text(), QStringLiteral("https://alpha.example"));
        field<QLineEdit>(window, "keyURL")->setText(QStringLiteral("changed"));
        window->cmdNav_Click(0);
        for (int slot = 1; slot <= 3; ++slot)
            QVERIFY(browser.table().slot(slot).url != "changed");
        QVERIFY(browser.table().slot(4).isFree());
    }

    void textTheKeyRingCannotHold_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal"); // empty: stored
        QTest::newRow("Greek URL") << QStringLiteral("keyURL") << QStringLiteral("https://\u03A9mega.example")
                                   << unstorableTextMessage(QStringLiteral("URL"));
        QTest::newRow("emoji user name") << QStringLiteral("keyUsername") << QString::fromUcs4(U"ann \U0001F600")
                                         << unstorableTextMessage(QStringLiteral("user name"));
        QTest::newRow("CJK description") << QStringLiteral("keyDescription") << QStringLiteral("\u3042 notes")
                                         << unstorableTextMessage(QStringLiteral("description"));
        // Letters of the code page's upper half are stored, those at 0x80 to 0x9F included.
        QTest::newRow("code page letters")
            << QStringLiteral("keyUsername") << QStringLiteral("caf\u00E9 \u2013 \u20AC") << QString();
    }

    void textTheKeyRingCannotHold()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        Browser browser;
        const KeyRecord before = ownCopy(browser.table().slot(1)); // the change wipes the old texts in place
        ModifyKey* window = openFor(browser, 0);
        // A storable change beside the one in question: refused together or stored together.
        field<QLineEdit>(window, box == QLatin1String("keyURL") ? "keyUsername" : "keyURL")
            ->setText(QStringLiteral("plain"));
        if (auto* description = window->findChild<QPlainTextEdit*>(box))
            description->setPlainText(text);
        else
            window->findChild<QLineEdit*>(box)->setText(text);
        window->cmdNav_Click(6);
        if (refusal.isEmpty()) {
            QVERIFY(MessageBox::takeRecorded().isEmpty());
            QVERIFY(!window->isVisible());
            QCOMPARE(browser.table().slot(1).userName, toCodePage(text));
            QCOMPARE(fromCodePage(browser.table().slot(1).userName), text);
            return;
        }
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList{refusal});
        QVERIFY(window->isVisible());
        QCOMPARE(window->focusWidget(), window->findChild<QWidget*>(box));
        QCOMPARE(browser.table().slot(1), before);
    }

    void fieldShowsThePasswordUpToItsNul()
    {
        Browser browser;
        const QByteArray stored =
            toCodePage(QStringLiteral("cr\u00E8me-br\u00FBl\u00E9e")) + '\0' + QByteArray(20, ' ');
        browser.table().slot(1).password = stored;
        ModifyKey* window = openFor(browser, 0);
        QCOMPARE(field<QLineEdit>(window, "keyPassword")->text(), QStringLiteral("cr\u00E8me-br\u00FBl\u00E9e"));
    }

    void keyboard()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->focusWidget(), field<QWidget>(window, "keyURL"));

        // Tab leaves the notes rather than typing into them.
        auto* notes = field<QPlainTextEdit>(window, "keyDescription");
        notes->setFocus();
        QTest::keyClick(notes, Qt::Key_Tab);
        QVERIFY(window->focusWidget() != notes);
        QCOMPARE(notes->toPlainText(), QString());

        // Alt+P copies as Ctrl+C in the list does; Alt+W opens Change Password over this window. A button's
        // letter presses it with a short animation, hence the waits.
        QTest::keyClick(window->focusWidget(), Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("secret-alpha"));
        QCOMPARE(browser.window->statusText(), passwordCopiedText());
        QTest::keyClick(window->focusWidget(), Qt::Key_W, Qt::AltModifier);
        QTRY_VERIFY(browser.fixture.program->changePassword());
        QCOMPARE(browser.fixture.program->changePassword()->parentWidget(), static_cast<QWidget*>(window));
        QTest::keyClick(browser.fixture.program->changePassword(), Qt::Key_Escape);
        QVERIFY(window->isVisible());

        // Esc is Cancel: an edit, even one the key ring could not hold, is left behind.
        field<QLineEdit>(window, "keyURL")->setText(QStringLiteral("https://\u0416.example"));
        QTest::keyClick(window->focusWidget(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(browser.table().slot(1).url, QByteArray("https://alpha.example"));
        QVERIFY(MessageBox::takeRecorded().isEmpty());

        // Alt+C is Cancel's alone.
        window = openFor(browser, 0);
        QVERIFY(QTest::qWaitForWindowActive(window));
        field<QLineEdit>(window, "keyURL")->setText(QStringLiteral("https://c.example"));
        QTest::keyClick(window->focusWidget(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(browser.table().slot(1).url, QByteArray("https://alpha.example"));

        // The next opening starts at the URL again.
        window = openFor(browser, 1);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->focusWidget(), field<QWidget>(window, "keyURL"));
    }

    void descriptionHolds255Characters()
    {
        Browser browser;
        ModifyKey* window = openFor(browser, 0);
        auto* notes = field<QPlainTextEdit>(window, "keyDescription");
        notes->setPlainText(QString(300, QLatin1Char('d')));
        QCOMPARE(notes->toPlainText().size(), 255);
        // A key typed into the full box is refused where it was typed; the end of the notes stays.
        notes->setPlainText(QString(254, QLatin1Char('d')) + QLatin1Char('Z'));
        QTextCursor cursor = notes->textCursor();
        cursor.setPosition(10);
        notes->setTextCursor(cursor);
        QTest::keyClick(notes, Qt::Key_X);
        QCOMPARE(notes->toPlainText(), QString(254, QLatin1Char('d')) + QLatin1Char('Z'));
        QCOMPARE(notes->textCursor().position(), 10);
    }

    void closingByTheFrameDiscardsIt()
    {
        Browser browser;
        QPointer<ModifyKey> window = openFor(browser, 0);
        QVERIFY(window->close());
        tessary::test::flushDeletes();
        QVERIFY(!window);
        QVERIFY(openFor(browser, 1));
        QCOMPARE(browser.fixture.program->modifyKey()->keySlot(), 2);
    }

    void unloadedInTheShutdownOrder()
    {
        Browser browser;
        openFor(browser, 0);
        QStringList order;
        connect(browser.fixture.program.get(), &Program::windowUnloaded, this,
                [&](const QString& name) { order << name; });
        browser.fixture.program->shutdownProgram();
        QCOMPARE(order, (QStringList{QStringLiteral("keyBrowser"), QStringLiteral("TessaryTray"),
                                     QStringLiteral("modifyKey")}));
    }
};

QTEST_MAIN(TestUiModifyKey)
#include "test_ui_modify_key.moc"
