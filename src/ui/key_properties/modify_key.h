#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessary {

class Session;
struct KeyRecord;
class NotesLimit;

// The key properties window: shows the selected key and lets its user name, URL and description be changed; the
// password is a masked field, shown in clear while "S&how" is checked. OK stores and closes, Apply stores and
// stays, both saving the key ring at once; Cancel and Esc close without storing. Copying and changing the
// password are asked for through its signals.
class ModifyKey : public QDialog
{
    Q_OBJECT
public:
    enum Button
    {
        Cancel = 0,
        Apply = 1,
        Ok = 6,
    };

    ModifyKey(Session& session, QWidget* owner);

    // Fills the window from the key named `selectedName` (the key list's selected row). False, after its
    // message, when no key has that name; the window then keeps what it showed and stores nothing.
    bool ResetDisplay(const QString& selectedName);
    // "&OK" (6) stores and hides, "&Apply" (1) stores, "&Cancel" (0) hides. A store that cannot be saved says
    // why and keeps the window open with the edits.
    void cmdNav_Click(int index);
    // The key's password changed elsewhere: the field shows the new one.
    void keyPasswordChanged();

    int keySlot() const { return m_keySlot; }
    bool passwordRevealed() const;

signals:
    // "Co&py Password": the shown key's password to the clipboard, as Copy Password in the key list does.
    void copyPasswordRequested(int keySlot);
    // "Change Pass&word" for the key of this name.
    void changePasswordRequested(const QString& keyName);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString storedDescription() const;
    // False, after its message, when a field holds text the key ring cannot store or the save failed.
    bool store();
    void showPassword(const KeyRecord& record);

    Session& m_session;
    int m_keySlot = -1;
    QString m_storedDescription; // the key's description as read
    QString m_shownDescription;  // and as the box showed it then

    QLineEdit* m_keyName;
    QLineEdit* m_keyUrl;
    QLineEdit* m_keyUsername;
    QLineEdit* m_keyPassword;
    QCheckBox* m_show;
    QPlainTextEdit* m_keyDescription;
    NotesLimit* m_notesLimit;
    QPushButton* m_cancelButton = nullptr;
};

QString keyNotFoundMessage(const QString& keyName, int keySlot);

} // namespace tessary
