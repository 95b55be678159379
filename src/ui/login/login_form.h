#pragma once

#include "app/session.h"
#include "ui/widgets/message_box.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tessary {

class PasswordBox;

// The login window: a user name from the user list, or "[New User]", and the master password.
class LoginForm : public QWidget
{
    Q_OBJECT
public:
    explicit LoginForm(Session& session, QWidget* parent = nullptr);

    void Form_Load();
    void DoNameCheck();
    void DoneButton_Click();
    void Timer1_Timer();
    void Command1_Click();
    // After a lock: that user chosen, when listed, and the password box given the focus.
    void chooseUser(const QString& userName);

    int newUserIndex() const { return m_newUserIndex; }

signals:
    // "&OK" with "[New User]" selected.
    void newUserChosen();
    // The session took the login; what follows is login completion's.
    void loggedIn();
    // The user logged in already typed the password again: the key browser comes back.
    void alreadyLoggedIn();
    // Cancel, Esc, or a key ring the program cannot go on with.
    void exitChosen();
    // The close box.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void GarblePasswordBox(int passwordLength);
    // Step 10 of the login: the box is cleared now, the message comes from Timer1 once the click is over.
    void failLogin(const QString& message, const QString& title, MessageBox::Kind kind);

    Session& m_session;
    QStringList m_userNames;
    int m_newUserIndex = 0;
    QString m_failureMessage;
    QString m_failureTitle;
    MessageBox::Kind m_failureKind = MessageBox::Kind::Refusal;

    QComboBox* m_loginNames;
    PasswordBox* m_passwordBox;
    QPushButton* m_doneButton;
    QPushButton* m_cancelButton;
    QTimer* m_timer1;
};

QString newUserEntry();
// Asked after olderKeyRingMessage at a login: Yes accepts the older key ring, No opens it read-only.
QString olderKeyRingQuestion();
// The title of the box that tells a session's outcome ("Tessary", or the application's default).
QString outcomeTitle(const Session::Outcome& outcome);
MessageBox::Kind outcomeKind(const Session::Outcome& outcome);

} // namespace tessary
