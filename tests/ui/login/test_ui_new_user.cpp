// The New User window: its controls, Finish with the window's own texts, and every refusal.
#include "ui/browser/key_browser.h"
#include "ui/login/login_form.h"
#include "ui/login/new_user.h"
#include "ui/widgets/key_table_model.h"
#include "ui_fixture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace tessary;
using tessary::test::Fixture;

namespace {

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
        QCOMPARE(password->text(), QStringLiteral("a"));
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
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
        } buttons[] = {{6, "&Finish", true}, {9, "&Help", false}, {8, "&Cancel", false}, {7, "< &Back", false}};
        for (const auto& button : buttons) {
            auto* widget = window->findChild<QPushButton*>(QStringLiteral("cmdNav_%1").arg(button.index));
            QVERIFY(widget);
            QCOMPARE(widget->text(), QLatin1String(button.caption));
            QCOMPARE(widget->isEnabled(), button.enabled);
        }
    }

    void finishWithTheInitialTexts()
    {
        Fixture fixture;
        fixture.program->startProgram({});
        NewUser* window = fixture.program->newUser();
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdNav_6")), Qt::LeftButton);
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        QVERIFY(fixture.exists(QStringLiteral("Username.keyRing")));
        QCOMPARE(fileBytes(fixture.path(QString::fromLatin1(userListFileName))), QByteArray("\"Username\"\r\n"));
        QVERIFY(!window->isVisible());
        QVERIFY(fixture.program->keyBrowser()->isVisible());
        QCOMPARE(fixture.program->keyBrowser()->model()->rowCount(), 0);
        QCOMPARE(fixture.program->session().currentUserName(), QStringLiteral("Username"));
        QCOMPARE(fixture.storedKeys(QStringLiteral("Username"), QStringLiteral("a")), QList<QByteArray>());
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
        QTest::newRow("empty password") << QString() << QStringLiteral("Cy") << QString()
                                        << emptyMasterPasswordMessage();
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
        window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(password);
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
        window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(password);
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
        for (int index : {NewUser::Back, NewUser::Cancel}) {
            fixture.program->newUser()->cmdNav_Click(index);
            QVERIFY(MessageBox::takeRecorded().isEmpty());
        }
        QVERIFY(fixture.program->newUser()->isVisible());
    }

    void keyAddedBeforeLogoutSurvives()
    {
        Fixture fixture;
        fixture.program->startProgram({});
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
};

QTEST_MAIN(TestUiNewUser)
#include "test_ui_new_user.moc"
