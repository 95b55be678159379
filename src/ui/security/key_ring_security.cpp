#include "ui/security/key_ring_security.h"

#include "app/conversion_notes.h"
#include "app/session.h"
#include "crypto/password_hash.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/password_box.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessary {

namespace {

// A value the keyboard reaches too, so that a screen reader walking the window with Tab reads it with its caption.
QLabel* valueLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    // Wrapped at this width rather than at the narrowest the layout allows.
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 64);
    return label;
}

void setValue(QLabel* label, const QString& caption, const QString& value)
{
    label->setText(value);
    label->setAccessibleName(caption.isEmpty() ? value : QStringLiteral("%1 %2").arg(caption, value));
}

QString notConvertedText()
{
    return QStringLiteral("\n\rThe key ring was not converted.");
}

} // namespace

KeyRingSecurity::KeyRingSecurity(Session& session, QWidget* owner)
    : QDialog(owner), m_session(session), m_format(valueLabel("format", this)),
      m_derivation(valueLabel("keyDerivation", this)), m_generationCaption(new QLabel(this)),
      m_generation(valueLabel("generation", this)), m_note(new QLabel(this)), m_readOnly(valueLabel("readOnly", this)),
      m_acceptOlder(new QPushButton(QStringLiteral("&Accept This Copy"), this)),
      m_password(maskedField("masterPassword", this)), m_convert(new QPushButton(this))
{
    setObjectName(QStringLiteral("keyRingSecurity"));
    setWindowTitle(QStringLiteral("Key Ring Security"));
    // Modal to the whole program, as Change Master Password: a login from the tray would change whose ring this is.
    setWindowModality(Qt::ApplicationModal);

    m_note->setObjectName(QStringLiteral("formatNote"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setWordWrap(true);
    m_note->setMinimumWidth(m_note->fontMetrics().averageCharWidth() * 80);
    m_password->setMinimumWidth(m_password->fontMetrics().averageCharWidth() * 28);
    m_convert->setObjectName(QStringLiteral("convertButton"));
    m_convert->setDefault(true);
    connect(m_convert, &QPushButton::clicked, this, &KeyRingSecurity::convert);
    m_acceptOlder->setObjectName(QStringLiteral("acceptOlderButton"));
    m_acceptOlder->setAutoDefault(false);
    connect(m_acceptOlder, &QPushButton::clicked, this, &KeyRingSecurity::acceptOlder);
    setValue(m_readOnly, {}, readOnlyKeyRingMessage());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Format:"), m_format);
    form->addRow(QStringLiteral("Key derivation:"), m_derivation);
    form->addRow(m_generationCaption, m_generation);
    m_generationCaption->setText(QStringLiteral("Generation:"));
    form->addRow(m_note);
    auto* passwordLabel = new QLabel(QStringLiteral("&Master password:"), this);
    passwordLabel->setBuddy(m_password);
    form->addRow(passwordLabel, m_password);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->addButton(m_convert, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &KeyRingSecurity::reject);

    auto* readOnly = new QHBoxLayout;
    readOnly->addWidget(m_readOnly, 1);
    readOnly->addWidget(m_acceptOlder, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(readOnly);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab: the values, then the password, then the buttons.
    setTabOrder(m_readOnly, m_acceptOlder);
    setTabOrder(m_acceptOlder, m_format);
    setTabOrder(m_format, m_derivation);
    setTabOrder(m_derivation, m_generation);
    setTabOrder(m_generation, m_password);
    setTabOrder(m_password, m_convert);
    showFormat();
    m_password->setFocus();
}

KeyRingSecurity::~KeyRingSecurity()
{
    m_password->clear();
}

void KeyRingSecurity::showFormat()
{
    const KeyRing& ring = m_session.keyRing();
    const bool strong = ring.format == KeyRingFormat::Strong;
    if (strong) {
        setValue(m_format, QStringLiteral("Format:"),
                 QStringLiteral("strong: XChaCha20-Poly1305 over the whole key table, which Tessary 0.1 cannot open"));
        setValue(m_derivation, QStringLiteral("Key derivation:"),
                 QStringLiteral("Argon2id, %1 passes over %2 MiB, with a salt of its own")
                     .arg(ring.kdf.passes)
                     .arg(double(ring.kdf.memory) / (1 << 20), 0, 'g', 4));
        setValue(m_generation, QStringLiteral("Generation:"),
                 QStringLiteral("%1 (one more at every save; an older copy put back is noticed)").arg(ring.generation));
        m_note->setText(QStringLiteral("Converted to the classic format, the key ring opens in Tessary 0.1 again: each "
                                       "field enciphered by itself with RC4, and nothing notices a change to the "
                                       "file."));
        m_convert->setText(QStringLiteral("Con&vert to Classic"));
    } else {
        setValue(m_format, QStringLiteral("Format:"),
                 QStringLiteral("classic: MD2 and RC4, as Tessary 0.1 writes, with no seal"));
        setValue(m_derivation, QStringLiteral("Key derivation:"),
                 QStringLiteral("%1 MD2 digests of the master password, with no salt").arg(passwordHashIterations + 1));
        m_note->setText(QStringLiteral("Converted to a strong key ring, it is sealed whole under a key Argon2id makes "
                                       "of the master password (about a second to make): nothing in it can be read "
                                       "or changed without the password, and an older copy put back is noticed."));
        m_convert->setText(QStringLiteral("Con&vert to Strong"));
    }
    m_generationCaption->setVisible(strong);
    m_generation->setVisible(strong);
    m_readOnly->setVisible(m_session.isReadOnly());
    m_acceptOlder->setVisible(m_session.isReadOnly());
}

void KeyRingSecurity::acceptOlder()
{
    m_session.acceptOlderKeyRing();
    showFormat();
    m_password->setFocus();
}

void KeyRingSecurity::convert()
{
    const KeyRingFormat target =
        m_session.format() == KeyRingFormat::Strong ? KeyRingFormat::Classic : KeyRingFormat::Strong;
    const QByteArray oldDigest = m_session.keyRing().storedDigest;
    const Session::PasswordChange change = m_session.convertKeyRing(m_password->text(), target);
    switch (change.status) {
    case Session::PasswordChange::Status::Changed:
        break;
    case Session::PasswordChange::Status::IncorrectPassword:
        refuse(change.message, MessageBox::programTitle());
        return;
    case Session::PasswordChange::Status::Unacceptable:
        refuse(change.message + notConvertedText());
        return;
    case Session::PasswordChange::Status::Refused:
        // A read-only key ring is the user's to accept first; anything else is a save that failed.
        m_password->clear();
        MessageBox::show(this, change.message + notConvertedText(), {},
                         m_session.isReadOnly() ? MessageBox::Kind::Refusal : MessageBox::Kind::Failure);
        return;
    }
    m_password->clear();
    QString message = convertedMessage(m_session.keyRing());
    QStringList copies;
    if (target == KeyRingFormat::Strong) {
        copies = classicCopies(m_session, oldDigest);
        QStringList names;
        for (const QString& copy : copies)
            names.append(QFileInfo(copy).fileName());
        message +=
            QStringLiteral("\n\r") + olderCopiesMessage(QFileInfo(m_session.keyRing().fileName).fileName(), names);
        if (!names.isEmpty())
            message += QStringLiteral("\n\rRemove %1 now?").arg(names.join(QStringLiteral(" and ")));
    }
    showFormat();
    const QPointer<KeyRingSecurity> alive(this);
    if (copies.isEmpty())
        MessageBox::show(this, message, {}, MessageBox::Kind::Information);
    else if (MessageBox::askYesNo(this, message, {}, MessageBox::Kind::Information) && alive)
        removeCopies(copies);
    if (alive)
        accept();
}

void KeyRingSecurity::removeCopies(const QStringList& copies)
{
    QStringList failures;
    for (const QString& copy : copies) {
        if (QString why; !removeCopy(copy, &why))
            failures.append(QStringLiteral("%1: %2").arg(QFileInfo(copy).fileName(), why));
    }
    if (!failures.isEmpty())
        MessageBox::show(this, QStringLiteral("Not removed: %1").arg(failures.join(QStringLiteral("; "))), {},
                         MessageBox::Kind::Failure);
}

void KeyRingSecurity::refuse(const QString& message, const QString& title)
{
    m_password->clear();
    // The program may end while the box waits, and take this window with it.
    const QPointer<KeyRingSecurity> alive(this);
    MessageBox::show(this, message, title, MessageBox::Kind::Refusal);
    if (alive)
        m_password->setFocus();
}

} // namespace tessary
