// The New User window: its controls, Finish with the window's own texts, and every refusal.
#include "storage/strong_ring_format.h"
#include "ui/browser/key_browser.h"
#include "ui/login/login_form.h"
#include "ui/login/new_user.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace tessary;
using tessary::test::Fixture;

namespace {

void typePasswords(NewUser* window, const QString& password, const QString& confirmed)
{
    window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(password);
    window->findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(confirmed);
}

} // namespace

class TestUiNewUser : public QObject
{
    Q_OBJECT
private slots:
    void controls()
    {
        Fixture fixture;
        fixture.program->showNewUserWindow();
        NewUser* window = fixture.program->newUser();
        QCOMPARE(window->windowTitle(), QStringLiteral("New User"));
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("Username"));
        QLineEdit* password = window->findChild<QLineEdit*>(QStringLiteral("Text2"));
        QCOMPARE(password->text(), QString());
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text3"))->echoMode(), QLineEdit::Password);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("New User Screen. And yes, we do need another fractal image."));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Username:"));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("Password:"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label4_%1").arg(i))->text(),
                     QStringLiteral("TO BE DONE - ALPHA-III"));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Picture5"))->pixmap().size(), QSize(120, 240));

        const struct
        {
            int index;
            const char* caption;
            bool enabled;
        } buttons[] = {{6, "&Finish", false}, {9, "&Help", false}, {8, "&Cancel", true}, {7, "< &Back", false}};
        for (const auto& button : buttons) {
            auto* widget = window->findChild<QPushButton*>(QStringLiteral("cmdNav_%1").arg(button.index));
            QVERIFY(widget);
            QCOMPARE(widget->text(), QLatin1String(button.caption));
            QCOMPARE(widget->isEnabled(), button.enabled);
        }
    }

    // Finish waits for the same password twice and says why it waits; a weak one is warned of, not refused.
    void finishWantsTheSamePasswordTwice_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmed");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("note");
        QTest::newRow("nothing typed") << QString() << QString() << false
                                       << QStringLiteral(
                                              "Type the master password, then the same again under Confirm.");
        QTest::newRow("not confirmed") << QStringLiteral("a") << QString() << false
                                       << QStringLiteral("The two passwords differ.");
        QTest::newRow("one letter") << QStringLiteral("a") << QStringLiteral("a") << true << weakPasswordWarning();
        QTest::newRow("11 letters, one case")
            << QStringLiteral("abcdefghijk") << QStringLiteral("abcdefghijk") << true << weakPasswordWarning();
        QTest::newRow("mixed") << QStringLiteral("Tr0ub4dor&3") << QStringLiteral("Tr0ub4dor&3") << true << QString();
    }

    void finishWantsTheSamePasswordTwice()
    {
        QFETCH(QString, password);
        QFETCH(QString, confirmed);
        QFETCH(bool, enabled);
        QFETCH(QString, note);
        Fixture fixture;
        fixture.program->startProgram({});
        NewUser* window = fixture.program->newUser();
        typePasswords(window, password, confirmed);
        QCOMPARE(window->passwordNote(), note);
        auto* finish = window->findChild<QPushButton*>(QStringLiteral("cmdNav_6"));
        QCOMPARE(finish->isEnabled(), enabled);
        QTest::mouseClick(finish, Qt::LeftButton);
        QCOMPARE(fixture.exists(QStringLiteral("Username.keyRing")), enabled);
        QCOMPARE(window->isVisible(), !enabled);
        if (!enabled)
            return;
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QCOMPARE(fileBytes(fixture.path(QString::fromLatin1(userListFileName))), QByteArray("\"Username\"\r\n"));
        QCOMPARE(fixture.program->session().currentUserName(), QStringLiteral("Username"));
        QCOMPARE(fixture.storedKeys(QStringLiteral("Username"), password), QList<QByteArray>());
        // The typed password does not stay in the hidden window.
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text2"))->text(), QString());
    }

    // Cancel and Esc close the window; with nothing else open the program ends, as Login's Cancel ends it.
    void cancelAndEscClose_data()
    {
        QTest::addColumn<bool>("esc");
        QTest::addColumn<bool>("loggedIn");
        for (bool esc : {false, true})
            for (bool loggedIn : {false, true})
                QTest::addRow("%s, %s", esc ? "Esc" : "Cancel", loggedIn ? "key browser open" : "alone")
                    << esc << loggedIn;
    }

    void cancelAndEscClose()
    {
        QFETCH(bool, esc);
        QFETCH(bool, loggedIn);
        tessary::test::Browser browser;
        Fixture& fixture = browser.fixture;
        if (!loggedIn)
            fixture.program->keyBrowser()->hide();
        fixture.program->showNewUserWindow();
        NewUser* window = fixture.program->newUser();
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (esc)
            QTest::keyClick(window->focusWidget(), Qt::Key_Escape);
        else
            window->cmdNav_Click(NewUser::Cancel);
        QVERIFY(!window->isVisible());
        QCOMPARE(fixture.ends, loggedIn ? 0 : 1);
    }

    void enterPressesFinish_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("user name") << QStringLiteral("Text1");
        QTest::newRow("password") << QStringLiteral("Text2");
    }

    void enterPressesFinish()
    {
        QFETCH(QString, box);
        Fixture fixture;
        fixture.program->startProgram({});
        NewUser* window = fixture.program->newUser();
        QVERIFY(QTest::qWaitForWindowActive(window));
        typePasswords(window, QStringLiteral("a"), QStringLiteral("a"));
        auto* text = window->findChild<QLineEdit*>(box);
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(fixture.exists(QStringLiteral("Username.keyRing")));
        QVERIFY(!window->isVisible());
        QCOMPARE(fixture.program->session().currentUserName(), QStringLiteral("Username"));
    }

    void nameKeptAsTyped()
    {
        Fixture fixture;
        fixture.program->showNewUserWindow();
        NewUser* window = fixture.program->newUser();
        window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Mary Ann O'Neil"));
        typePasswords(window, QStringLiteral("a"), QStringLiteral("a"));
        window->cmdNav_Click(NewUser::Finish);
        QVERIFY(fixture.exists(QStringLiteral("MaryAnnONeil.keyRing")));
        QCOMPARE(readUserList(fixture.path(QString::fromLatin1(userListFileName))),
                 QStringList{QStringLiteral("Mary Ann O'Neil")});
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("same name") << QStringLiteral("Bob") << QStringLiteral("Bob") << QStringLiteral("pw")
                                   << QStringLiteral("User already exists! (Bob.keyRing)");
        QTest::newRow("same file name") << QStringLiteral("Bob") << QStringLiteral("B.o.b") << QStringLiteral("pw")
                                        << QStringLiteral("User already exists! (Bob.keyRing)");
        QTest::newRow("no file name") << QString() << QStringLiteral("...") << QStringLiteral("pw")
                                      << noFileNameMessage(QStringLiteral("..."));
        QTest::newRow("empty name") << QString() << QString() << QStringLiteral("pw") << noFileNameMessage({});
        // Its key ring's lock, "<name>.keyRing.lock", would pass the 255 bytes of a file name.
        QTest::newRow("243-letter name") << QString() << QString(243, u'n') << QStringLiteral("pw")
                                         << QStringLiteral("The user name is too long to name a key ring file after: "
                                                           "this file system takes at most 242 of its letters, "
                                                           "digits, \"-\", \"_\" and \"~\".");
        QTest::newRow("217 characters") << QString() << QStringLiteral("Cy") << QString(217, QLatin1Char('p'))
                                        << longMasterPasswordMessage();
    }

    void refusals()
    {
        QFETCH(QString, existing);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        Fixture fixture;
        if (!existing.isEmpty())
            fixture.addUser(existing, QStringLiteral("old"));
        const QStringList filesBefore = QDir(fixture.directory.path()).entryList(QDir::Files);
        const QByteArray listBefore = fileBytes(fixture.path(QString::fromLatin1(userListFileName)));

        fixture.program->showNewUserWindow();
        NewUser* window = fixture.program->newUser();
        window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(name);
        typePasswords(window, password, password);
        window->cmdNav_Click(NewUser::Finish);

        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, message);
        QCOMPARE(shown[0].title, QString());
        QVERIFY(window->isVisible());
        QVERIFY(!fixture.program->session().isLoggedIn());
        QCOMPARE(fixture.ends, 0);
        QCOMPARE(QDir(fixture.directory.path()).entryList(QDir::Files), filesBefore);
        QCOMPARE(fileBytes(fixture.path(QString::fromLatin1(userListFileName))), listBefore);
    }

    void longestPasswordAccepted()
    {
        Fixture fixture;
        fixture.program->showNewUserWindow();
        NewUser* window = fixture.program->newUser();
        const QString password(216, QLatin1Char('p'));
        typePasswords(window, password, password);
        window->cmdNav_Click(NewUser::Finish);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QCOMPARE(fixture.storedKeys(QStringLiteral("Username"), password), QList<QByteArray>());
    }

    void help()
    {
        Fixture fixture;
        fixture.program->showNewUserWindow();
        fixture.program->newUser()->cmdNav_Click(NewUser::Help);
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("[Leave me alone!]"));
        QCOMPARE(shown[0].text, QStringLiteral("Bah, humbug! Help yourself!\n\rRTFM (Read the... manual)"));
        fixture.program->newUser()->cmdNav_Click(NewUser::Back);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QVERIFY(fixture.program->newUser()->isVisible());
    }

    void keyAddedBeforeLogoutSurvives()
    {
        Fixture fixture;
        fixture.program->startProgram({});
        typePasswords(fixture.program->newUser(), QStringLiteral("a"), QStringLiteral("a"));
        fixture.program->newUser()->cmdNav_Click(NewUser::Finish);
        KeyRecord record;
        record.name = "first key";
        record.password = "hunter2";
        fixture.program->keyBrowser()->model()->addKey(record);
        fixture.program->shutdownProgram();
        fixture.program.reset();
        tessary::test::flushDeletes();

        // Start again: the login window now, and the key is there.
        Program again({fixture.directory.path(), true, [] {}});
        again.startProgram({});
        QVERIFY(again.loginForm());
        again.loginForm()->findChild<QLineEdit*>(QStringLiteral("passwordBox"))->setText(QStringLiteral("a"));
        again.loginForm()->DoneButton_Click();
        QCOMPARE(again.keyBrowser()->model()->rowCount(), 1);
        QCOMPARE(again.keyBrowser()->model()->index(0, 0).data().toString(), QStringLiteral("first key"));
    }
    // The box, off at first, gives the new user a strong key ring, whose key is made off the GUI thread.
    void strongBoxChoosesTheFormat_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("left off") << false;
        QTest::newRow("ticked") << true;
    }

    void strongBoxChoosesTheFormat()
    {
        QFETCH(bool, ticked);
        Fixture fixture;
        KdfParameters kdf = Fixture::lightKdf();
        kdf.memory = 16u << 20; // long enough a derivation for the GUI thread's timers to run meanwhile
        fixture.program->session().setKeyDerivation(kdf);
        fixture.program->showNewUserWindow();
        NewUser* window = fixture.program->newUser();
        auto* box = window->findChild<QCheckBox*>(QStringLiteral("strongKeyRing"));
        QVERIFY(box && !box->isChecked());
        box->setChecked(ticked);
        window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Bea"));
        typePasswords(window, QStringLiteral("Tr0ub4dor&3"), QStringLiteral("Tr0ub4dor&3"));

        bool busy = false;
        QTimer::singleShot(0, [&busy] { busy = QGuiApplication::overrideCursor() != nullptr; });
        window->cmdNav_Click(NewUser::Finish);
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()), QStringList());
        QCOMPARE(busy, ticked);
        QCOMPARE(isStrongRing(fileBytes(fixture.path(QStringLiteral("Bea.keyRing")))), ticked);
        QCOMPARE(fixture.storedKeys(QStringLiteral("Bea"), QStringLiteral("Tr0ub4dor&3")), QList<QByteArray>());
    }
};

QTEST_MAIN(TestUiNewUser)
#include "test_ui_new_user.moc"
