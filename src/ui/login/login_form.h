#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tessary {

class PasswordBox;
class Program;
class Session;

// The login window: a user name from the user list, or "[New User]", and the master password.
class LoginForm : public QWidget
{
    Q_OBJECT
public:
    LoginForm(Session& session, Program& program);

    void Form_Load();
    void DoNameCheck();
    void DoneButton_Click();
    void Timer1_Timer();
    void Command1_Click();

    int newUserIndex() const { return m_newUserIndex; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void GarblePasswordBox(int passwordLength);
    // Step 10 of the login: the box is cleared now, the message comes from Timer1 once the click is over.
    void failLogin(const QString& message, const QString& title);

    Session& m_session;
    Program& m_program;
    QStringList m_userNames;
    int m_newUserIndex = 0;
    QString m_failureMessage;
    QString m_failureTitle;

    QComboBox* m_loginNames;
    PasswordBox* m_passwordBox;
    QPushButton* m_doneButton;
    QPushButton* m_cancelButton;
    QTimer* m_timer1;
};

QString newUserEntry();

} // namespace tessary
