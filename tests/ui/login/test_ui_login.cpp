// The login window: its list, the password box's states, every way a login ends.
#include "storage/file_lock.h"
#include "ui/browser/key_browser.h"
#include "ui/flow/tessary_tray.h"
#include "ui/login/login_form.h"
#include "ui/login/new_user.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/password_box.h"
#include "ui/widgets/combo_box_name.h"
#include "ui_fixture.h"

#include <QAccessible>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

using namespace tessary;
using tessary::test::Fixture;

namespace {

struct Login
{
    Fixture& fixture;
    LoginForm* form;
    QComboBox* names;
    PasswordBox* box;
    QPushButton* done;
    QTimer* timer;

    explicit Login(Fixture& f) : fixture(f), form(nullptr)
    {
        f.program->startProgram({});
        form = f.program->loginForm();
        names = form->findChild<QComboBox*>(QStringLiteral("LoginNames"));
        box = form->findChild<PasswordBox*>(QStringLiteral("passwordBox"));
        done = form->findChild<QPushButton*>(QStringLiteral("DoneButton"));
        timer = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    }

    void attempt(const QString& user, const QString& password)
    {
        names->setCurrentIndex(names->findText(user));
        box->setText(password);
        form->DoneButton_Click();
    }

    int rows() const { return fixture.program->keyBrowser()->model()->rowCount(); }
};

} // namespace

class TestUiLogin : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setRecording(true); }

    // A key ring older than the one last saved here asks first: Yes writes on from it; No, the default, opens it
    // read-only, every change refused and nothing written, not even at the end.
    void anOlderKeyRingAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes: accepted") << true;
        QTest::newRow("No: read-only") << false;
    }

    void anOlderKeyRingAsksFirst()
    {
        QFETCH(bool, yes);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), {"alpha"}, KeyRingFormat::Strong);
        const auto [older, newer] = fixture.putBackOlderCopy(QStringLiteral("Ann"), QStringLiteral("pw"));
        QVERIFY(older > 0 && newer > older);
        const QByteArray file = fileBytes(fixture.path(QStringLiteral("Ann.keyRing")));
        Login login(fixture);
        MessageBox::setNextAnswer(yes);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 QStringList{olderKeyRingMessage(older, newer) + QStringLiteral("\n\r") + olderKeyRingQuestion()});
        QVERIFY(fixture.program->keyBrowser() && fixture.program->keyBrowser()->isVisible());

        KeyTableModel* model = fixture.program->keyBrowser()->model();
        QCOMPARE(model->setData(model->index(0, KeyTableModel::KeyColumn), QStringLiteral("renamed")), yes);
        QCoreApplication::processEvents();
        fixture.program->shutdownProgram(); // with no box of its own
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 yes ? QStringList() : QStringList{unsavedChangeMessage(readOnlyKeyRingMessage())});
        if (!yes)
            QCOMPARE(fileBytes(fixture.path(QStringLiteral("Ann.keyRing"))), file);
        Session reader(fixture.directory.path());
        const Session::Outcome later =
            reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None);
        QCOMPARE(later.isOlder(), !yes);
        QCOMPARE(reader.keyTable().slot(1).name, yes ? QByteArray("renamed") : QByteArray("alpha"));
    }

    void controls()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        QCOMPARE(login.form->windowTitle(), QStringLiteral("Tessary Login"));
        QCOMPARE(login.done->text(), QStringLiteral("&OK"));
        QCOMPARE(login.form->findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("&Cancel"));
        QCOMPARE(login.form->findChild<QLabel*>(QStringLiteral("Label3"))->text(),
                 QStringLiteral("&Password: (Safe Mode Disabled)"));
        QCOMPARE(login.form->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("&Username:"));
        QCOMPARE(login.timer->interval(), 15);
        QVERIFY(!login.timer->isActive());
        QCOMPARE(login.box->echoMode(), QLineEdit::Password);
        QCOMPARE(login.box->textTimeout(), 30);
    }

    // A screen reader hears the user list by its label, and the name it shows as its value.
    void userListIsNamedByItsLabel()
    {
        nameComboBoxesByTheirLabels();
        Fixture fixture;
        fixture.addUser(QStringLiteral("Alice Smith"), QStringLiteral("pw"));
        Login login(fixture);
        QAccessibleInterface* list =
            QAccessible::queryAccessibleInterface(login.form->findChild<QComboBox*>(QStringLiteral("LoginNames")));
        QVERIFY(list);
        QCOMPARE(list->role(), QAccessible::ComboBox);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Username"));
        QCOMPARE(list->text(QAccessible::Value), QStringLiteral("Alice Smith"));
    }

    void userList_data()
    {
        QTest::addColumn<QByteArray>("listFile");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("boxEnabled");
        QTest::newRow("empty list") << QByteArray() << QStringList{QStringLiteral("[New User]")} << false;
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n") << QStringList{QStringLiteral("[New User]")} << false;
        QTest::newRow("two users") << QByteArray("\"Ann\"\r\n\"Bob Smith\"\r\n")
                                   << QStringList{QStringLiteral("Ann"), QStringLiteral("Bob Smith"),
                                                  QStringLiteral("[New User]")}
                                   << true;
    }

    void userList()
    {
        QFETCH(QByteArray, listFile);
        QFETCH(QStringList, entries);
        QFETCH(bool, boxEnabled);
        Fixture fixture;
        QFile file(fixture.path(QString::fromLatin1(userListFileName)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(listFile);
        file.close();
        Login login(fixture);
        QStringList shown;
        for (int i = 0; i < login.names->count(); ++i)
            shown << login.names->itemText(i);
        QCOMPARE(shown, entries);
        QCOMPARE(login.names->currentIndex(), 0);
        QCOMPARE(login.form->newUserIndex(), entries.size() - 1);
        QCOMPARE(login.box->isEnabled(), boxEnabled);
        QCOMPARE(login.box->palette().color(QPalette::Base), boxEnabled ? QColor(Qt::white) : QColor(208, 208, 208));
        QVERIFY(login.box->text().isEmpty());
    }

    void nameCheck()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        login.box->setText(QStringLiteral("typed"));
        login.names->setCurrentIndex(login.form->newUserIndex());
        QVERIFY(!login.box->isEnabled());
        QVERIFY(login.box->text().isEmpty());
        QCOMPARE(login.box->palette().color(QPalette::Base), QColor(208, 208, 208));
        login.box->setText(QStringLiteral("kept"));
        login.names->setCurrentIndex(0);
        QVERIFY(login.box->isEnabled());
        QCOMPARE(login.box->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(login.box->text(), QStringLiteral("kept"));
    }

    void rightPassword()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("open sesame"), {"mail", "bank"});
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("open sesame"));
        QVERIFY(fixture.program->session().isLoggedIn());
        QCOMPARE(fixture.program->session().currentUserName(), QStringLiteral("Ann"));
        QVERIFY(!login.form->isVisible());
        QVERIFY(fixture.program->keyBrowser()->isVisible());
        QCOMPARE(login.rows(), 2);
        QCOMPARE(fixture.program->tray()->loginItem()->text(), QStringLiteral("Key Browser"));
        // The box holds 2L + 255 to 2L + 354 random letters and digits, and stays disabled with OK.
        const int length = int(login.box->text().size());
        QVERIFY2(length >= 2 * 11 + 255 && length <= 2 * 11 + 354, QByteArray::number(length));
        QVERIFY(QRegularExpression(QStringLiteral("^[a-zA-Z0-9]+$")).match(login.box->text()).hasMatch());
        QVERIFY(!login.box->isEnabled());
        QVERIFY(!login.done->isEnabled());
        QVERIFY(MessageBox::takeRecorded().isEmpty());
        // Shown again from the tray it is as it was left; choosing the same name again enables the box, not OK.
        fixture.program->showLoginForm();
        QCOMPARE(fixture.program->loginForm(), login.form);
        QVERIFY(!login.box->text().isEmpty());
        emit login.names->activated(login.names->currentIndex());
        QVERIFY(login.box->isEnabled());
        QVERIFY(!login.done->isEnabled());
        // The lock is held while logged in.
        FileLock other(fixture.path(QStringLiteral("Ann.keyRing")));
        QVERIFY(!other.tryLock());
    }

    void failedLogins_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong") << QStringLiteral("guess");
        QTest::newRow("empty") << QString();
        QTest::newRow("different case") << QStringLiteral("PW");
    }

    void failedLogins()
    {
        QFETCH(QString, password);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        const QByteArray before = [&] {
            QFile file(fixture.path(QStringLiteral("Ann.keyRing")));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), password);
        QVERIFY(!fixture.program->session().isLoggedIn());
        QVERIFY(!fixture.program->keyBrowser());
        QVERIFY(login.box->text().isEmpty());
        QVERIFY(login.timer->isActive());
        QVERIFY(MessageBox::takeRecorded().isEmpty()); // the message waits for the timer

        login.form->Timer1_Timer();
        QVERIFY(!login.timer->isActive());
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Incorrect Password!"));
        QCOMPARE(shown[0].title, QStringLiteral("Tessary"));
        QCOMPARE(shown[0].kind, MessageBox::Kind::Refusal);
        QVERIFY(login.done->isEnabled());
        QVERIFY(login.box->isEnabled());
        QVERIFY(login.form->isVisible());
        QFile file(fixture.path(QStringLiteral("Ann.keyRing")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void enterActsAsOk()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        login.box->setText(QStringLiteral("pw"));
        QTest::keyClick(login.box, Qt::Key_Return);
        QVERIFY(fixture.program->session().isLoggedIn());
    }

    void enterOnTheUserList_data()
    {
        QTest::addColumn<bool>("newUser");
        QTest::newRow("a user") << false;
        QTest::newRow("[New User]") << true;
    }

    void enterOnTheUserList()
    {
        QFETCH(bool, newUser);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        login.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(login.form));
        if (newUser)
            login.names->setCurrentIndex(login.form->newUserIndex());
        else
            login.box->setText(QStringLiteral("pw"));
        login.names->setFocus();
        QTest::keyClick(login.names, Qt::Key_Return);
        QCOMPARE(fixture.program->session().isLoggedIn(), !newUser);
        QCOMPARE(fixture.program->newUser() && fixture.program->newUser()->isVisible(), newUser);
        QCOMPARE(fixture.ends, 0);
        tessary::test::flushDeletes();
    }

    void escapeOnTheDroppedListOnlyClosesIt()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        login.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(login.form));
        login.names->setFocus();
        login.names->showPopup();
        QWidget* popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!login.names->view()->isVisible());
        QCOMPARE(fixture.ends, 0);
        QVERIFY(login.form->isVisible());
        // Closed, Esc has its meaning for the window again.
        QTest::keyClick(login.names, Qt::Key_Escape);
        QCOMPARE(fixture.ends, 1);
    }

    void escapeAndCancelEnd_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Cancel") << false;
    }

    void escapeAndCancelEnd()
    {
        QFETCH(bool, escape);
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        login.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(login.form));
        if (escape)
            QTest::keyClick(login.box, Qt::Key_Escape);
        else
            QTest::mouseClick(login.form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(fixture.ends, 1);
    }

    void missingKeyRingIsCreated()
    {
        Fixture fixture;
        QCOMPARE(addUser(fixture.path(QString::fromLatin1(userListFileName)), QStringLiteral("Cy")).status, UserAddition::Status::Added);
        Login login(fixture);
        login.attempt(QStringLiteral("Cy"), QStringLiteral("first"));
        QVERIFY(fixture.program->session().isLoggedIn());
        QCOMPARE(login.rows(), 0);
        QCOMPARE(fixture.storedKeys(QStringLiteral("Cy"), QStringLiteral("first")), QList<QByteArray>());
    }

    void newUserEntry()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        login.names->setCurrentIndex(login.form->newUserIndex());
        login.form->DoneButton_Click();
        QVERIFY(fixture.program->newUser()->isVisible());
        QVERIFY(!fixture.program->loginForm()); // unloaded: the next one reads the user list again
        tessary::test::flushDeletes();
    }

    void secondLoginAsAnotherUser()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw1"), {"mail"});
        fixture.addUser(QStringLiteral("Bob"), QStringLiteral("pw2"), {"x", "y", "z"});
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw1"));
        KeyRecord added;
        added.name = "unsaved";
        fixture.program->keyBrowser()->model()->addKey(added);

        // A wrong password for Bob changes nothing.
        fixture.program->showLoginForm();
        login.attempt(QStringLiteral("Bob"), QStringLiteral("pw1"));
        login.form->Timer1_Timer();
        QCOMPARE(MessageBox::takeRecorded().size(), 1);
        QCOMPARE(fixture.program->session().currentUserName(), QStringLiteral("Ann"));
        QCOMPARE(login.rows(), 2);
        QCOMPARE(fixture.program->session().keyTable().slot(1).name, QByteArray("mail"));

        // The right one saves Ann's key ring, then shows Bob's keys alone.
        login.attempt(QStringLiteral("Bob"), QStringLiteral("pw2"));
        QCOMPARE(fixture.program->session().currentUserName(), QStringLiteral("Bob"));
        QCOMPARE(login.rows(), 3);
        QCOMPARE(fixture.program->keyBrowser()->model()->index(0, 0).data().toString(), QStringLiteral("x"));
        QCOMPARE(fixture.storedKeys(QStringLiteral("Ann"), QStringLiteral("pw1")),
                 (QList<QByteArray>{"mail", "unsaved"}));
        // Ann's lock went with her; Bob's is held.
        QVERIFY(FileLock(fixture.path(QStringLiteral("Ann.keyRing"))).tryLock());
        QVERIFY(!FileLock(fixture.path(QStringLiteral("Bob.keyRing"))).tryLock());
    }

    void sameUserAgainJustShowsTheKeyBrowser()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), {"mail"});
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        KeyRecord added;
        added.name = "kept in memory";
        fixture.program->keyBrowser()->model()->addKey(added);
        fixture.program->keyBrowser()->hide();

        fixture.program->showLoginForm();
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        QVERIFY(fixture.program->keyBrowser()->isVisible());
        QVERIFY(!login.form->isVisible());
        QCOMPARE(login.rows(), 2);
        QCOMPARE(fixture.program->session().keyTable().keyCount(), 2);
    }

    void keyRingInUse()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        FileLock other(fixture.path(QStringLiteral("Ann.keyRing")));
        QVERIFY(other.tryLock());
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        QVERIFY(!fixture.program->session().isLoggedIn());
        login.form->Timer1_Timer();
        QCOMPARE(Fixture::texts(MessageBox::takeRecorded()),
                 QStringList{keyRingInUseMessage(QStringLiteral("Ann.keyRing"), QCoreApplication::applicationPid())});
        QVERIFY(login.done->isEnabled());
        QCOMPARE(fixture.ends, 0);
    }

    void foreignFileEndsTheProgram()
    {
        Fixture fixture;
        QCOMPARE(addUser(fixture.path(QString::fromLatin1(userListFileName)), QStringLiteral("Ann")).status, UserAddition::Status::Added);
        QFile file(fixture.path(QStringLiteral("Ann.keyRing")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a key ring at all, but long enough to have a header of some kind or other......");
        file.close();
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(Fixture::texts(shown), QStringList{notKeyRingMessage(QStringLiteral("Ann.keyRing"))});
        QCOMPARE(shown[0].title, QStringLiteral("Tessary"));
        QCOMPARE(shown[0].kind, MessageBox::Kind::Failure);
        QCOMPARE(fixture.ends, 1);
        QVERIFY(!fixture.program->session().isLoggedIn());
    }

    void damagedTrailerIsReportedAndTheLoginGoesOn()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), {"mail"});
        QFile file(fixture.path(QStringLiteral("Ann.keyRing")));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype trailer = bytes.lastIndexOf("Abracadabra");
        QVERIFY(trailer > 0);
        bytes[trailer] = 'X';
        QVERIFY(file.seek(0));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        Login login(fixture);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        const QList<MessageBox::Shown> shown = MessageBox::takeRecorded();
        QCOMPARE(Fixture::texts(shown), QStringList{damagedKeyRingMessage()});
        QCOMPARE(shown[0].title, QStringLiteral("Tessary"));
        QCOMPARE(shown[0].kind, MessageBox::Kind::Failure);
        QVERIFY(fixture.program->session().isLoggedIn());
        QCOMPARE(login.rows(), 1);
        QCOMPARE(fixture.ends, 0);
    }

    void quitWhileChecking()
    {
        Fixture fixture;
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"));
        Login login(fixture);
        // The tray's Exit, clicked while the login lets pending events run.
        QMetaObject::invokeMethod(fixture.program.get(), &Program::shutdownProgram, Qt::QueuedConnection);
        login.attempt(QStringLiteral("Ann"), QStringLiteral("pw"));
        QCOMPARE(fixture.ends, 1);
        QVERIFY(!fixture.program->session().isLoggedIn());
        QVERIFY(!fixture.program->keyBrowser());
        tessary::test::flushDeletes();
        QVERIFY(!fixture.program->loginForm());
    }

    void textTimeout()
    {
        PasswordBox box;
        box.setText(QStringLiteral("typed"));
        box.textTimedOut();
        QVERIFY(box.text().isEmpty());
        box.setText(QStringLiteral("typed"));
        box.setTextTimeout(0);
        box.textTimedOut();
        QCOMPARE(box.text(), QStringLiteral("typed"));
    }
};

QTEST_MAIN(TestUiLogin)
#include "test_ui_login.moc"
