#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessary {

class KeyTableModel;
class KeyTable;
class NotesLimit;

// The key properties window: shows the selected key, lets its user name, URL and description be changed, and
// shows the password only while a mouse button is held on "Press to see password".
class ModifyKey : public QDialog
{
    Q_OBJECT
public:
    ModifyKey(KeyTable& table, KeyTableModel& model, QWidget* owner);

    // Fills the window from the key named `selectedName` (the key list's selected row). False, after its
    // message, when no key has that name; the window then keeps what it showed and stores nothing.
    bool ResetDisplay(const QString& selectedName);
    // "&OK", "&Apply" and "&Cancel" alike: store, then hide.
    void cmdNav_Click(int index);
    void Label5_MouseDown();
    void Label5_MouseUp();

    int keySlot() const { return m_keySlot; }
    bool passwordRevealed() const { return m_revealed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void layOutPasswordPanel();
    QString storedDescription() const;

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
