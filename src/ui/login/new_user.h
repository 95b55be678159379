#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessary {

class Session;

// The New User window: a user name and a master password typed twice, and "&Finish" creates the user (with a
// strong key ring when its box is ticked) and logs in. Finish stays grey while the two passwords differ, with a line that says why; a short or weak password is
// warned of there, not refused. "&Cancel" and Esc close it.
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

    explicit NewUser(Session& session, QWidget* parent = nullptr);

    // The one handler of the four buttons.
    void cmdNav_Click(int index);
    // What the line under the fields says: why Finish is grey, a warning, or nothing.
    QString passwordNote() const;

signals:
    // The user was created and logged in; what follows is login completion's.
    void userCreated();
    // The program cannot go on (the new key ring did not read back).
    void exitChosen();
    // The close box.
    void closed();
    // "&Cancel" or Esc.
    void cancelled();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish();
    void passwordEdited();
    QPushButton* addButton(int index, const QString& caption, bool enabled);

    Session& m_session;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
    QLineEdit* m_confirm;
    QLabel* m_note;
    QCheckBox* m_strong;
    QWidget* m_picture4;
    QPushButton* m_finishButton = nullptr;
};

QString newUserHelpMessage();
QString weakPasswordWarning();

} // namespace tessary
