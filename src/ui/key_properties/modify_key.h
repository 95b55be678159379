#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessary {

class KeyTableModel;
class KeyTable;
struct KeyRecord;
class NotesLimit;

// The key properties window: shows the selected key, lets its user name, URL and description be changed, and
// shows the password only while a mouse button is held on "Press to see password". OK stores and closes, Apply
// stores and stays, Cancel and Esc close without storing. Copying and changing the password are asked for through
// its signals.
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

    ModifyKey(KeyTable& table, KeyTableModel& model, QWidget* owner);

    // Fills the window from the key named `selectedName` (the key list's selected row). False, after its
    // message, when no key has that name; the window then keeps what it showed and stores nothing.
    bool ResetDisplay(const QString& selectedName);
    // "&OK" (6) stores and hides, "&Apply" (1) stores, "&Cancel" (0) hides.
    void cmdNav_Click(int index);
    // The key's password changed elsewhere: the box and the panel show the new one.
    void keyPasswordChanged();
    void Label5_MouseDown();
    void Label5_MouseUp();

    int keySlot() const { return m_keySlot; }
    bool passwordRevealed() const { return m_revealed; }

signals:
    // "Co&py Password": the shown key's password to the clipboard, as Copy Password in the key list does.
    void copyPasswordRequested(int keySlot);
    // "Change Pass&word" for the key of this name.
    void changePasswordRequested(const QString& keyName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void layOutPasswordPanel();
    QString storedDescription() const;
    // False, after its message, when a field holds text the key ring cannot store.
    bool store();
    void showPassword(const KeyRecord& record);

    KeyTable& m_table;
    KeyTableModel& m_model;
    int m_keySlot = -1;
    bool m_revealed = false;
    QString m_storedDescription; // the key's description as read
    QString m_shownDescription;  // and as the box showed it then

    QLineEdit* m_keyName;
    QPlainTextEdit* m_keyDescription;
    NotesLimit* m_notesLimit;
    QLineEdit* m_keyUrl;
    QLineEdit* m_keyUsername;
    QWidget* m_passwordArea;
    QLineEdit* m_keyPassword;
    QLabel* m_picture1;
    QLabel* m_label5;
    QPushButton* m_cancelButton = nullptr;
};

QString keyNotFoundMessage(const QString& keyName, int keySlot);

} // namespace tessary
