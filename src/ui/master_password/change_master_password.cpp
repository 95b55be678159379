#include "ui/master_password/change_master_password.h"

#include "app/session.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/password_box.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace tessary {

namespace {

QLineEdit* passwordField(const char* name, QWidget* parent)
{
    QLineEdit* field = maskedField(name, parent);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 28);
    return field;
}

} // namespace

ChangeMasterPassword::ChangeMasterPassword(Session& session, QWidget* owner)
    : QDialog(owner), m_session(session), m_current(passwordField("currentPassword", this)),
      m_new(passwordField("newPassword", this)), m_confirm(passwordField("confirmPassword", this))
{
    setObjectName(QStringLiteral("changeMasterPassword"));
    setWindowTitle(QStringLiteral("Change Master Password"));
    // Modal to the whole program: a login from the tray meanwhile would change whose key ring this is.
    setWindowModality(Qt::ApplicationModal);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Current password:"), m_current);
    form->addRow(QStringLiteral("&New password:"), m_new);
    form->addRow(QStringLiteral("C&onfirm:"), m_confirm);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ChangeMasterPassword::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChangeMasterPassword::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_current->setFocus();
}

ChangeMasterPassword::~ChangeMasterPassword()
{
    wipeFields();
}

void ChangeMasterPassword::accept()
{
    if (m_new->text() != m_confirm->text()) {
        refuse(newPasswordsDifferMessage(), m_confirm);
        return;
    }
    const Session::PasswordChange change = m_session.changeMasterPassword(m_current->text(), m_new->text());
    switch (change.status) {
    case Session::PasswordChange::Status::Changed:
        wipeFields();
        emit masterPasswordChanged();
        QDialog::accept();
        return;
    case Session::PasswordChange::Status::IncorrectPassword:
        m_current->clear();
        refuse(change.message, m_current, MessageBox::programTitle());
        return;
    case Session::PasswordChange::Status::Unacceptable:
        refuse(change.message + notChangedText(), m_new);
        return;
    case Session::PasswordChange::Status::Refused:
        // A save that failed: the old password is still the one in force.
        MessageBox::show(this, change.message + notChangedText(), {}, MessageBox::Kind::Failure);
        return;
    }
}

void ChangeMasterPassword::refuse(const QString& message, QLineEdit* field, const QString& title)
{
    // The program may end while the box waits, and take this window with it.
    const QPointer<ChangeMasterPassword> alive(this);
    MessageBox::show(this, message, title, MessageBox::Kind::Refusal);
    if (!alive)
        return;
    field->setFocus();
    field->selectAll();
}

void ChangeMasterPassword::wipeFields()
{
    for (QLineEdit* field : {m_current, m_new, m_confirm})
        field->clear();
}

QString ChangeMasterPassword::notChangedText()
{
    return QStringLiteral("\n\rThe master password was not changed.");
}

QString newPasswordsDifferMessage()
{
    return QStringLiteral("The new password and its confirmation differ.");
}

QString masterPasswordChangedText()
{
    return QStringLiteral("Master password changed");
}

} // namespace tessary
