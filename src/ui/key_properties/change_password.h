#pragma once

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace tessary {

class GeneratorPanel;
class KeyTableModel;
class MeterBar;
class Session;

// A new password for one key: typed twice (or generated), scored by the strength meter as it is typed, and on OK
// stored under a fresh salt and saved at once. Cancel and Esc store nothing.
class ChangePassword : public QDialog
{
    Q_OBJECT
public:
    ChangePassword(Session& session, KeyTableModel& model, int keySlot, QWidget* owner);
    ~ChangePassword() override;

    int keySlot() const { return m_keySlot; }

    void accept() override;
    // The generator's "&Generate": its password in both fields.
    void generate();
    GeneratorPanel* generator() const { return m_generator; }
    // Why OK is grey, or empty while it is not.
    QString okRefusal() const;

signals:
    // Stored and saved.
    void passwordChanged(int keySlot);

private:
    void passwordEdited();
    void wipeFields();

    Session& m_session;
    KeyTableModel& m_model;
    int m_keySlot;

    QLineEdit* m_newPassword;
    QLineEdit* m_confirm;
    MeterBar* m_score;
    QCheckBox* m_show;
    GeneratorPanel* m_generator;
    QLabel* m_reason;
    QDialogButtonBox* m_buttons;
};

// Why the two typed passwords cannot be a key's password (1 to 128 characters of the key ring's code page, the
// same in both fields), or empty when they can.
QString keyPasswordRefusal(const QString& typed, const QString& confirmed);

// "Password changed", the key browser's status after a change.
QString passwordChangedText();

} // namespace tessary
