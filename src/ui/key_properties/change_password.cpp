#include "ui/key_properties/change_password.h"

#include "analysis/strength_meter.h"
#include "app/session.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "ui/widgets/generator_panel.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/meter_bar.h"
#include "ui/widgets/password_box.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessary {

namespace {

QLineEdit* passwordField(const char* name, QWidget* parent)
{
    QLineEdit* field = maskedField(name, parent);
    field->setMaxLength(static_cast<int>(passwordBufferSize));
    return field;
}

} // namespace

ChangePassword::ChangePassword(Session& session, KeyTableModel& model, int keySlot, QWidget* owner)
    : QDialog(owner), m_session(session), m_model(model), m_keySlot(keySlot),
      m_newPassword(passwordField("newPassword", this)), m_confirm(passwordField("confirmPassword", this)),
      m_score(new MeterBar(this)), m_show(new QCheckBox(QStringLiteral("S&how"), this)),
      m_generator(new GeneratorPanel(this)), m_reason(new QLabel(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("changePassword"));
    setWindowTitle(QStringLiteral("Change Password"));
    // Modal to the whole program, as Key Properties: a login meanwhile would swap the table the slot points into.
    setWindowModality(Qt::ApplicationModal);

    const QString keyName = fromCodePage(m_session.keyTable().slot(keySlot).name);
    auto* heading = new QLabel(QStringLiteral("A new password for the key \"%1\".").arg(keyName), this);
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    m_score->setObjectName(QStringLiteral("totalScore"));
    m_score->setAccessibleName(QStringLiteral("Score"));
    m_show->setObjectName(QStringLiteral("showPassword"));
    m_reason->setObjectName(QStringLiteral("okRefusal"));
    m_reason->setTextFormat(Qt::PlainText);
    m_reason->setWordWrap(true);
    m_buttons->setObjectName(QStringLiteral("buttons"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&New password:"), m_newPassword);
    form->addRow(QStringLiteral("C&onfirm:"), m_confirm);
    form->addRow(QString(), m_show);
    form->addRow(scoreCaption(), m_score);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addWidget(m_generator);
    layout->addWidget(m_reason);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_newPassword, &QLineEdit::textChanged, this, &ChangePassword::passwordEdited);
    connect(m_confirm, &QLineEdit::textChanged, this, &ChangePassword::passwordEdited);
    connect(m_show, &QCheckBox::toggled, this, [this](bool shown) {
        for (QLineEdit* field : {m_newPassword, m_confirm})
            field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(m_generator, &GeneratorPanel::generated, this, [this](const QString& password) {
        m_newPassword->setText(password);
        m_confirm->setText(password);
    });
    connect(m_buttons, &QDialogButtonBox::accepted, this, &ChangePassword::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &ChangePassword::reject);
    passwordEdited();
    m_newPassword->setFocus();
}

ChangePassword::~ChangePassword()
{
    wipeFields();
}

void ChangePassword::passwordEdited()
{
    const QString typed = m_newPassword->text();
    QByteArray bytes = toCodePage(typed);
    std::int16_t total = meterScores(bytes).total;
    m_score->DrawBar(total);
    wipe(bytes);
    const QString refusal = keyPasswordRefusal(typed, m_confirm->text());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(refusal.isEmpty());
    m_reason->setText(refusal);
    m_reason->setVisible(!refusal.isEmpty());
}

void ChangePassword::generate()
{
    m_generator->generate();
}

QString ChangePassword::okRefusal() const
{
    return m_reason->text();
}

void ChangePassword::accept()
{
    const QString typed = m_newPassword->text();
    if (!keyPasswordRefusal(typed, m_confirm->text()).isEmpty())
        return;
    QByteArray password = toCodePage(typed);
    QString error;
    const bool stored = m_session.changeKeyPassword(m_keySlot, password, &error);
    wipe(password);
    if (!stored) {
        MessageBox::show(this, error + QStringLiteral("\n\rThe password was not changed."), MessageBox::programTitle(),
                         MessageBox::Kind::Failure);
        return;
    }
    m_model.keyChanged(m_keySlot);
    wipeFields();
    emit passwordChanged(m_keySlot);
    QDialog::accept();
}

void ChangePassword::wipeFields()
{
    for (QLineEdit* field : {m_newPassword, m_confirm})
        field->clear();
}

QString keyPasswordRefusal(const QString& typed, const QString& confirmed)
{
    if (typed.isEmpty())
        return QStringLiteral("Type the new password, or generate one; then the same again under Confirm.");
    if (!fitsCodePage(typed))
        return unstorableTextMessage(QStringLiteral("password"));
    if (toCodePage(typed).size() > passwordBufferSize)
        return tooLongTextMessage(QStringLiteral("password"), passwordBufferSize);
    if (confirmed != typed)
        return QStringLiteral("The two passwords differ.");
    return {};
}

QString passwordChangedText()
{
    return QStringLiteral("Password changed");
}

} // namespace tessary
