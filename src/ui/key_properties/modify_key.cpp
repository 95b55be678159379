#include "ui/key_properties/modify_key.h"

#include "app/session.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "storage/key_table.h"
#include "storage/notes_text.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/notes_limit.h"
#include "ui/widgets/password_box.h"
#include "ui/widgets/storable_field.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessary {

namespace {

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void setGrey(QWidget* widget)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Base, disabledBoxColour());
    widget->setPalette(colours);
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* pushButton = new QPushButton(text, parent);
    pushButton->setObjectName(name);
    pushButton->setAutoDefault(false);
    return pushButton;
}

} // namespace

ModifyKey::ModifyKey(Session& session, QWidget* owner)
    : QDialog(owner), m_session(session), m_keyName(new QLineEdit(this)), m_keyUrl(new QLineEdit(this)),
      m_keyUsername(new QLineEdit(this)), m_keyPassword(maskedField("keyPassword", this)),
      m_show(new QCheckBox(QStringLiteral("S&how"), this)), m_keyDescription(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("modifyKey"));
    setWindowTitle(QStringLiteral("Key Properties"));
    // Modal to the whole program: a login from the tray meanwhile would swap the table its slot points into.
    setWindowModality(Qt::ApplicationModal);

    m_keyName->setObjectName(QStringLiteral("keyName"));
    m_keyName->setReadOnly(true);
    setGrey(m_keyName);
    m_keyUrl->setObjectName(QStringLiteral("keyURL"));
    m_keyUsername->setObjectName(QStringLiteral("keyUsername"));
    // The password is changed through Change Password, which saves it under a fresh salt; here it is only read.
    m_keyPassword->setReadOnly(true);
    setGrey(m_keyPassword);
    m_show->setObjectName(QStringLiteral("showPassword"));
    connect(m_show, &QCheckBox::toggled, this,
            [this](bool shown) { m_keyPassword->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password); });
    m_keyDescription->setObjectName(QStringLiteral("keyDescription"));
    m_keyDescription->setFont(QFont(QStringLiteral("Courier New")));
    m_keyDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on, as in every other field; a tab character has no place in the notes.
    m_keyDescription->setTabChangesFocus(true);
    m_notesLimit = new NotesLimit(m_keyDescription, maximumNotesLength);

    // Letters of their own: Alt+C is Cancel's.
    QPushButton* copyButton = button(QStringLiteral("Co&py Password"), QStringLiteral("Command1"), this);
    connect(copyButton, &QPushButton::clicked, this, [this] { emit copyPasswordRequested(m_keySlot); });
    QPushButton* changeButton = button(QStringLiteral("Change Pass&word"), QStringLiteral("Command3"), this);
    connect(changeButton, &QPushButton::clicked, this, [this] { emit changePasswordRequested(m_keyName->text()); });

    auto* fields = new QGridLayout;
    fields->addWidget(caption(QStringLiteral("Keyname:"), m_keyName, this), 0, 0);
    fields->addWidget(m_keyName, 1, 0, 1, 2);
    fields->addWidget(caption(QStringLiteral("URL:"), m_keyUrl, this), 2, 0);
    fields->addWidget(m_keyUrl, 3, 0, 1, 2);
    fields->addWidget(caption(QStringLiteral("Username:"), m_keyUsername, this), 4, 0);
    fields->addWidget(m_keyUsername, 5, 0, 1, 2);
    fields->addWidget(caption(QStringLiteral("Password:"), m_keyPassword, this), 6, 0);
    fields->addWidget(m_keyPassword, 7, 0);
    fields->addWidget(m_show, 7, 1);
    auto* passwordButtons = new QHBoxLayout;
    passwordButtons->addWidget(copyButton);
    passwordButtons->addWidget(changeButton);
    passwordButtons->addStretch();
    fields->addLayout(passwordButtons, 8, 0, 1, 2);
    fields->addWidget(caption(QStringLiteral("Key Description:"), m_keyDescription, this), 9, 0);
    fields->addWidget(m_keyDescription, 10, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QList<QWidget*> order{m_keyName, m_keyUrl,   m_keyUsername, m_keyPassword,
                          m_show,    copyButton, changeButton,  m_keyDescription};
    const std::pair<int, const char*> navigation[] = {{6, "&OK"}, {1, "&Apply"}, {0, "&Cancel"}};
    for (const auto& [index, text] : navigation) {
        QPushButton* navigationButton = button(QLatin1String(text), QStringLiteral("cmdNav_%1").arg(index), this);
        navigationButton->setDefault(index == 6);
        connect(navigationButton, &QPushButton::clicked, this, [this, i = index] { cmdNav_Click(i); });
        if (index == 0)
            m_cancelButton = navigationButton;
        buttons->addWidget(navigationButton);
        order.append(navigationButton);
    }
    // Top to bottom as the window reads, the buttons last.
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(420, 440);
}

bool ModifyKey::ResetDisplay(const QString& selectedName)
{
    m_keyName->setText(selectedName);
    m_keySlot = fitsCodePage(selectedName) ? m_session.keyTable().findKey(toCodePage(selectedName)) : -1;
    if (m_keySlot < 0) {
        MessageBox::show(parentWidget(), keyNotFoundMessage(selectedName, m_keySlot), {}, MessageBox::Kind::Failure);
        return false;
    }
    const KeyRecord& record = m_session.keyTable().slot(m_keySlot);
    m_storedDescription = fromCodePage(record.description);
    m_notesLimit->setText(m_storedDescription);
    m_shownDescription = m_keyDescription->toPlainText();
    m_keyUsername->setText(fromCodePage(record.userName));
    m_keyUrl->setText(fromCodePage(record.url));
    showPassword(record);
    m_keyUrl->setFocus();
    return true;
}

void ModifyKey::cmdNav_Click(int index)
{
    if (index == Cancel) {
        hide();
        return;
    }
    if (store() && index == Ok)
        hide();
}

bool ModifyKey::store()
{
    // A field the key ring cannot hold would be stored with question marks: refuse them all and keep the window.
    if (!storableOrRefused(m_keyUrl, QStringLiteral("URL"), m_keyUrl->text(), false) ||
        !storableOrRefused(m_keyUsername, QStringLiteral("user name"), m_keyUsername->text(), false) ||
        !storableOrRefused(m_keyDescription, QStringLiteral("description"), m_keyDescription->toPlainText(), false))
        return false;
    if (m_keySlot < 1 || m_keySlot > m_session.keyTable().keyCount())
        return true; // no key: nothing to store
    KeyChange change;
    change.url = toCodePage(m_keyUrl->text());
    change.userName = toCodePage(m_keyUsername->text());
    change.description = toCodePage(storedDescription());
    QString error;
    if (!m_session.changeKey(m_keySlot, change, &error)) {
        MessageBox::show(this, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
        return false;
    }
    // What is stored now is what the box shows.
    m_storedDescription = fromCodePage(*change.description);
    m_shownDescription = m_keyDescription->toPlainText();
    return true;
}

void ModifyKey::keyPasswordChanged()
{
    if (m_keySlot > 0 && m_keySlot <= m_session.keyTable().keyCount())
        showPassword(m_session.keyTable().slot(m_keySlot));
}

bool ModifyKey::passwordRevealed() const
{
    return m_keyPassword->echoMode() == QLineEdit::Normal;
}

void ModifyKey::showPassword(const KeyRecord& record)
{
    // What Copy Password would copy, not the NUL and padding stored after it.
    m_keyPassword->setText(fromCodePage(usablePassword(record)));
    m_show->setChecked(false);
}

void ModifyKey::keyPressEvent(QKeyEvent* event)
{
    // Esc is the Cancel button's: nothing is stored, even an edit the key ring could not hold.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cancelButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ModifyKey::hideEvent(QHideEvent* event)
{
    // Covered again for the next key, and not left readable in a hidden window.
    m_show->setChecked(false);
    QDialog::hideEvent(event);
}

// The box shows every line break as a bare line feed. A description left as it was keeps its own breaks; an
// edited one breaks its lines with a carriage return and a line feed, as text typed into a Windows box does.
QString ModifyKey::storedDescription() const
{
    const QString shown = m_keyDescription->toPlainText();
    if (shown == m_shownDescription)
        return m_storedDescription;
    return storedNotes(shown);
}

QString keyNotFoundMessage(const QString& keyName, int keySlot)
{
    return QStringLiteral("Bargh, Humbug! This might not work...\n\r[ModifyKey - ResetDisplay - %1 (%2)! ]")
        .arg(keyName)
        .arg(keySlot);
}

} // namespace tessary
