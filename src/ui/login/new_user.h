#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace tessary {

class Program;
class Session;

// The New User window: a user name and a password, and "&Finish" creates the user and logs in.
class NewUser : public QWidget
{
    Q_OBJECT
public:
    enum Button
    {
        Back = 7,
        Finish = 6,
        Cancel = 8,
        Help = 9
    };

    NewUser(Session& session, Program& program);

    // The one handler of the four buttons.
    void cmdNav_Click(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish();
    QPushButton* addButton(int index, const QString& caption, bool enabled);

    Session& m_session;
    Program& m_program;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
    QWidget* m_picture4;
    QPushButton* m_finishButton = nullptr;
};

QString newUserHelpMessage();

} // namespace tessary
