#include "ui/key_properties/modify_key.h"

#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "storage/key_table.h"
#include "storage/notes_text.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/notes_limit.h"
#include "ui/widgets/password_box.h"
#include "ui/widgets/storable_field.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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

void setGrey(QWidget* widget, QPalette::ColorRole role)
{
    QPalette colours = widget->palette();
    colours.setColor(role, disabledBoxColour());
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

} // namespace

ModifyKey::ModifyKey(KeyTable& table, KeyTableModel& model, QWidget* owner)
    : QDialog(owner), m_table(table), m_model(model), m_keyName(new QLineEdit(this)),
      m_keyDescription(new QPlainTextEdit(this)), m_keyUrl(new QLineEdit(this)), m_keyUsername(new QLineEdit(this)),
      m_passwordArea(new QWidget(this)), m_keyPassword(new QLineEdit(m_passwordArea)),
      m_picture1(new QLabel(m_passwordArea)),
      m_label5(new QLabel(QStringLiteral("Press to see password"), m_passwordArea))
{
    setObjectName(QStringLiteral("modifyKey"));
    setWindowTitle(QStringLiteral("Key Properties"));
    // Modal to the whole program: a login from the tray meanwhile would swap the table its slot points into.
    setWindowModality(Qt::ApplicationModal);

    m_keyName->setObjectName(QStringLiteral("keyName"));
    m_keyName->setReadOnly(true);
    setGrey(m_keyName, QPalette::Base);
    m_keyDescription->setObjectName(QStringLiteral("keyDescription"));
    m_keyDescription->setFont(QFont(QStringLiteral("Courier New")));
    m_keyDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on, as in every other field; a tab character has no place in the notes.
    m_keyDescription->setTabChangesFocus(true);
    m_notesLimit = new NotesLimit(m_keyDescription, maximumNotesLength);
    m_keyUrl->setObjectName(QStringLiteral("keyURL"));
    m_keyUsername->setObjectName(QStringLiteral("keyUsername"));

    // The password panel: the masked box underneath, the panel the password is printed on, and the label that
    // covers both until a mouse button is held on it.
    m_keyPassword->setObjectName(QStringLiteral("keyPassword"));
    m_keyPassword->setAccessibleName(QStringLiteral("Password"));
    m_keyPassword->setEchoMode(QLineEdit::Password);
    m_keyPassword->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: 124; background: rgb(208, 208, 208); }"));
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setFont(QFont(QStringLiteral("Verdana")));
    m_picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture1->setTextFormat(Qt::PlainText);
    setGrey(m_picture1, QPalette::Window);
    m_label5->setObjectName(QStringLiteral("Label5"));
    m_label5->setAlignment(Qt::AlignCenter);
    m_label5->setFrameShape(QFrame::Panel);
    m_label5->setFrameShadow(QFrame::Raised);
    setGrey(m_label5, QPalette::Window);
    m_label5->installEventFilter(this);
    m_picture1->installEventFilter(this);
    m_passwordArea->installEventFilter(this);
    m_passwordArea->setMinimumHeight(m_keyPassword->sizeHint().height() + 8);

    auto* fields = new QGridLayout;
    fields->addWidget(caption(QStringLiteral("Keyname:"), m_keyName, this), 0, 0);
    fields->addWidget(m_keyName, 1, 0);
    fields->addWidget(caption(QStringLiteral("URL:"), m_keyUrl, this), 2, 0);
    fields->addWidget(m_keyUrl, 3, 0);
    fields->addWidget(caption(QStringLiteral("Username:"), m_keyUsername, this), 4, 0);
    fields->addWidget(m_keyUsername, 5, 0);
    fields->addWidget(m_passwordArea, 6, 0);
    fields->addWidget(caption(QStringLiteral("Key Description:"), m_keyDescription, this), 7, 0);
    fields->addWidget(m_keyDescription, 8, 0);

    auto* passwordButtons = new QHBoxLayout;
    // Letters of their own: Alt+C is Cancel's.
    auto* copyButton = new QPushButton(QStringLiteral("Co&py Password"), this);
    copyButton->setObjectName(QStringLiteral("Command1"));
    copyButton->setAutoDefault(false);
    connect(copyButton, &QPushButton::clicked, this, [this] { emit copyPasswordRequested(m_keySlot); });
    auto* changeButton = new QPushButton(QStringLiteral("Change Pass&word"), this);
    changeButton->setObjectName(QStringLiteral("Command3"));
    changeButton->setAutoDefault(false);
    connect(changeButton, &QPushButton::clicked, this,
            [this] { emit changePasswordRequested(m_keyName->text()); });
    passwordButtons->addWidget(copyButton);
    passwordButtons->addWidget(changeButton);
    passwordButtons->addStretch();
    fields->addLayout(passwordButtons, 9, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const std::pair<int, const char*> navigation[] = {{6, "&OK"}, {1, "&Apply"}, {0, "&Cancel"}};
    for (const auto& [index, text] : navigation) {
        auto* button = new QPushButton(QLatin1String(text), this);
        button->setObjectName(QStringLiteral("cmdNav_%1").arg(index));
        button->setAutoDefault(false);
        button->setDefault(index == 6);
        connect(button, &QPushButton::clicked, this, [this, i = index] { cmdNav_Click(i); });
        if (index == 0)
            m_cancelButton = button;
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(420, 420);
}

bool ModifyKey::ResetDisplay(const QString& selectedName)
{
    m_keyName->setText(selectedName);
    m_keySlot = m_table.findKey(toCodePage(selectedName));
    if (m_keySlot < 0) {
        MessageBox::show(parentWidget(), keyNotFoundMessage(selectedName, m_keySlot), {}, MessageBox::Kind::Failure);
        return false;
    }
    const KeyRecord& record = m_table.slot(m_keySlot);
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
    KeyChange change;
    change.url = toCodePage(m_keyUrl->text());
    change.userName = toCodePage(m_keyUsername->text());
    change.description = toCodePage(storedDescription());
    if (m_table.changeKey(m_keySlot, change)) {
        m_model.keyChanged(m_keySlot);
        // What is stored now is what the box shows.
        m_storedDescription = fromCodePage(*change.description);
        m_shownDescription = m_keyDescription->toPlainText();
    }
    return true;
}

void ModifyKey::keyPasswordChanged()
{
    if (m_keySlot > 0 && m_keySlot <= m_table.keyCount())
        showPassword(m_table.slot(m_keySlot));
}

void ModifyKey::showPassword(const KeyRecord& record)
{
    m_keyPassword->setText(fromCodePage(record.password));
    // The panel shows what Copy Password would copy, not the NUL and padding stored after it.
    m_picture1->setText(fromCodePage(usablePassword(record)));
    Label5_MouseUp();
}

// The label goes under the panel rather than out of sight: a hidden widget would lose the mouse, and the
// release that covers the password again would go astray.
void ModifyKey::Label5_MouseDown()
{
    m_revealed = true;
    m_picture1->raise();
}

void ModifyKey::Label5_MouseUp()
{
    m_revealed = false;
    m_label5->raise();
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

bool ModifyKey::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_label5 && event->type() == QEvent::MouseButtonPress) {
        Label5_MouseDown();
        return true;
    }
    if ((watched == m_label5 || watched == m_picture1) && event->type() == QEvent::MouseButtonRelease) {
        Label5_MouseUp();
        return true;
    }
    if (watched == m_passwordArea && event->type() == QEvent::Resize)
        layOutPasswordPanel();
    return QDialog::eventFilter(watched, event);
}

void ModifyKey::layOutPasswordPanel()
{
    const QRect area = m_passwordArea->rect();
    m_keyPassword->setGeometry(area);
    m_picture1->setGeometry(area);
    m_label5->setGeometry(area);
    if (m_revealed)
        m_picture1->raise();
    else
        m_label5->raise();
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
