#include "ui/login/new_user.h"

#include "analysis/strength_meter.h"
#include "app/session.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "ui/login/login_form.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/password_box.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessary {

namespace {

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* widget = new QLabel(text, parent);
    widget->setObjectName(name);
    return widget;
}

} // namespace

NewUser::NewUser(Session& session, QWidget* parent)
    : QWidget(parent), m_session(session), m_text1(new QLineEdit(QStringLiteral("Username"), this)),
      m_text2(maskedField("Text2", this)), m_confirm(maskedField("Text3", this)), m_note(new QLabel(this)),
      m_strong(new QCheckBox(QStringLiteral("&Strong key ring (Tessary 0.1 cannot open it)"), this)),
      m_picture4(new QWidget(this))
{
    setObjectName(QStringLiteral("newUser"));
    setWindowTitle(QStringLiteral("New User"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->selectAll(); // typing replaces the sample name
    m_note->setObjectName(QStringLiteral("passwordNote"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setWordWrap(true);
    m_picture4->setObjectName(QStringLiteral("Picture4"));
    m_strong->setObjectName(QStringLiteral("strongKeyRing"));

    auto* picture5 = label(QStringLiteral("Picture5"), {}, this);
    picture5->setPixmap(QPixmap::fromImage(sidePicture()));
    picture5->setFrameShape(QFrame::Panel);
    picture5->setFrameShadow(QFrame::Sunken);
    picture5->setAlignment(Qt::AlignTop);

    auto* heading = label(QStringLiteral("Label1"),
                          QStringLiteral("New User Screen. And yes, we do need another fractal image."), this);
    heading->setWordWrap(true);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    QLabel* nameLabel = label(QStringLiteral("Label2"), QStringLiteral("Username:"), this);
    nameLabel->setBuddy(m_text1);
    QLabel* passwordLabel = label(QStringLiteral("Label3"), QStringLiteral("Password:"), this);
    passwordLabel->setBuddy(m_text2);
    QLabel* confirmLabel = label(QStringLiteral("confirmLabel"), QStringLiteral("C&onfirm:"), this);
    confirmLabel->setBuddy(m_confirm);

    auto* fields = new QGridLayout;
    fields->addWidget(heading, 0, 0, 1, 2);
    fields->addWidget(nameLabel, 1, 0);
    fields->addWidget(m_text1, 1, 1);
    fields->addWidget(passwordLabel, 2, 0);
    fields->addWidget(m_text2, 2, 1);
    fields->addWidget(confirmLabel, 3, 0);
    fields->addWidget(m_confirm, 3, 1);
    fields->addWidget(m_note, 4, 0, 1, 2);
    fields->addWidget(m_strong, 5, 0, 1, 2);
    for (int index = 3; index >= 0; --index) {
        fields->addWidget(label(QStringLiteral("Label4_%1").arg(index), QStringLiteral("TO BE DONE - ALPHA-III"), this),
                          9 - index, 0, 1, 2);
    }
    fields->setRowStretch(10, 1);

    auto* page = new QHBoxLayout;
    // The frame hugs the picture rather than growing with the page.
    picture5->setFixedSize(picture5->sizeHint());
    page->addWidget(picture5, 0, Qt::AlignTop);
    page->addLayout(fields, 1);

    // The bottom strip: an etched line, then the buttons.
    auto* strip = new QVBoxLayout(m_picture4);
    strip->setContentsMargins(0, 0, 0, 0);
    auto* line1 = new QFrame(m_picture4);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    strip->addWidget(line1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(addButton(Back, QStringLiteral("< &Back"), false));
    m_finishButton = addButton(Finish, QStringLiteral("&Finish"), true);
    m_finishButton->setDefault(true);
    buttons->addWidget(m_finishButton);
    buttons->addWidget(addButton(Cancel, QStringLiteral("&Cancel"), true));
    buttons->addWidget(addButton(Help, QStringLiteral("&Help"), false));
    strip->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(page, 1);
    layout->addWidget(m_picture4);
    resize(483, 309); // 7245 x 4635 twips

    connect(m_text2, &QLineEdit::textChanged, this, &NewUser::passwordEdited);
    connect(m_confirm, &QLineEdit::textChanged, this, &NewUser::passwordEdited);
    passwordEdited();
}

void NewUser::passwordEdited()
{
    const QString typed = m_text2->text();
    QString note;
    if (typed.isEmpty())
        note = QStringLiteral("Type the master password, then the same again under Confirm.");
    else if (m_confirm->text() != typed)
        note = QStringLiteral("The two passwords differ.");
    const bool same = note.isEmpty();
    if (same && fitsCodePage(typed)) {
        QByteArray bytes = toCodePage(typed);
        if (weakMasterPassword(bytes))
            note = weakPasswordWarning();
        wipe(bytes);
    }
    m_finishButton->setEnabled(same);
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

QString NewUser::passwordNote() const
{
    return m_note->text();
}

QPushButton* NewUser::addButton(int index, const QString& caption, bool enabled)
{
    auto* button = new QPushButton(caption, m_picture4);
    button->setObjectName(QStringLiteral("cmdNav_%1").arg(index));
    button->setEnabled(enabled);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, index] { cmdNav_Click(index); });
    return button;
}

void NewUser::cmdNav_Click(int index)
{
    switch (index) {
    case Finish:
        finish();
        break;
    case Help:
        MessageBox::show(this, newUserHelpMessage(), QStringLiteral("[Leave me alone!]"));
        break;
    case Cancel:
        hide();
        emit cancelled();
        break;
    default: // Back has nothing to do
        break;
    }
}

void NewUser::finish()
{
    if (m_text2->text() != m_confirm->text())
        return;
    const Session::Outcome outcome = m_session.createUser(
        m_text1->text(), m_text2->text(), m_strong->isChecked() ? KeyRingFormat::Strong : KeyRingFormat::Classic);
    if (!outcome.succeeded()) {
        if (outcome.mustEnd)
            hide();
        MessageBox::show(this, outcome.message, outcomeTitle(outcome), outcomeKind(outcome));
        if (outcome.mustEnd)
            emit exitChosen();
        return;
    }
    for (QLineEdit* field : {m_text2, m_confirm})
        field->clear();
    hide();
    emit userCreated();
}

// A plain window has no default button of its own: Enter that no control took presses Finish.
void NewUser::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdNav_Click(Cancel);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_finishButton->isEnabled()) {
        m_finishButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void NewUser::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

QString weakPasswordWarning()
{
    return QStringLiteral("A master password under 8 characters, or one the meter scores weak, is easy to guess; "
                          "Finish uses it all the same.");
}

QString newUserHelpMessage()
{
    return QStringLiteral("Bah, humbug! Help yourself!\n\rRTFM (Read the... manual)");
}

} // namespace tessary
