#pragma once

#include <QDialog>

class QLineEdit;

namespace tessary {

class Session;

// A new master password: the current one, then the new one twice. OK re-enciphers the key ring under the new one
// and saves it at once; a wrong current password, a new one New User would refuse or two that differ change
// nothing, nor does a save that fails.
class ChangeMasterPassword : public QDialog
{
    Q_OBJECT
public:
    ChangeMasterPassword(Session& session, QWidget* owner);
    ~ChangeMasterPassword() override;

    void accept() override;

signals:
    // Saved under the new password, which is in force from now on.
    void masterPasswordChanged();

private:
    void refuse(const QString& message, QLineEdit* field, const QString& title = {});
    void wipeFields();
    static QString notChangedText();

    Session& m_session;
    QLineEdit* m_current;
    QLineEdit* m_new;
    QLineEdit* m_confirm;
};

QString newPasswordsDifferMessage();
// The key browser's status after a change.
QString masterPasswordChangedText();

} // namespace tessary
