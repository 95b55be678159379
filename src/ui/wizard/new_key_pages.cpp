// The password wizard's controls: the picture, the six pages and the button strip.
#include "ui/wizard/new_key.h"

#include "analysis/strength_meter.h"
#include "storage/key_fields.h"
#include "ui/widgets/generator_panel.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/meter_bar.h"
#include "ui/wizard/report_area.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tessary {

namespace {

QLabel* paragraph(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QWidget* page(int index, const QStringList& paragraphs, QVBoxLayout*& layout)
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("passwordWizard_%1").arg(index));
    layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->setSpacing(8);
    for (const QString& text : paragraphs)
        layout->addWidget(paragraph(text, panel));
    return panel;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QFrame* thinLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

template <typename Field> Field* named(Field* field, const char* name)
{
    field->setObjectName(QLatin1String(name));
    return field;
}

} // namespace

void NewKey::buildWindow()
{
    auto* picture5 = new QLabel(this);
    picture5->setObjectName(QStringLiteral("Picture5"));
    picture5->setPixmap(QPixmap::fromImage(sidePicture()));
    picture5->setFrameShape(QFrame::Panel);
    picture5->setFrameShadow(QFrame::Sunken);
    picture5->setAlignment(Qt::AlignTop);

    m_passwordWizard = named(new QStackedWidget(this), "passwordWizard");
    for (QWidget* panel : {welcomePage(), keyNamePage(), passwordPage(), analysisPage(), accountPage(), closingPage()})
        m_passwordWizard->addWidget(panel);

    auto* pages = new QHBoxLayout;
    pages->addWidget(picture5, 0, Qt::AlignTop);
    pages->addWidget(m_passwordWizard, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pages, 1);
    layout->addWidget(buttonStrip());
}

QWidget* NewKey::welcomePage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* panel =
        page(0,
             {QStringLiteral("Tessary Password Wizard will generate a new key to add to your keyring."),
              QStringLiteral("Everytime you get a new account, you should use this wizard to make a new and "
                             "individual key for it."),
              QStringLiteral("If you would like more information about key generation, key management or key "
                             "security, click help."),
              QStringLiteral("Otherwise, click Next to continue.")},
             layout);
    layout->addStretch();
    return panel;
}

QWidget* NewKey::keyNamePage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* panel = page(1,
                          {QStringLiteral("Please choose a name for your new key."),
                           QStringLiteral("This name will be shown on the menus of Tessary, and must be unique to "
                                          "all other keys in your keyring."),
                           QStringLiteral("Key names should not contain any secret data, and should be considered "
                                          "insecure, although they are encrypted with the rest of your keyring.")},
                          layout);
    m_keyName = named(new QLineEdit(panel), "keyName");
    m_keyName->setMaxLength(static_cast<int>(keyNameLimit));
    layout->addStretch();
    layout->addWidget(caption(QStringLiteral("Please choose your &Keyname:"), m_keyName, panel));
    layout->addWidget(m_keyName);
    // Why Next stays grey for a name that was typed.
    m_keyNameProblem = named(new QLabel(panel), "keyNameProblem");
    m_keyNameProblem->setWordWrap(true);
    m_keyNameProblem->setTextFormat(Qt::PlainText);
    layout->addWidget(m_keyNameProblem);
    return panel;
}

QWidget* NewKey::passwordPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* panel =
        page(2,
             {QStringLiteral("Your keyring will be protected with a password. It is important that you do not "
                             "write this password down."),
              QStringLiteral("Your password should contain more then 8 characters, and should try to acheive the "
                             "highest score possible."),
              QStringLiteral("For more information on choosing a safe and secure password, click Help.")},
             layout);
    m_passwordBox = named(new QLineEdit(panel), "passwordBox");
    m_passwordBox->setMaxLength(static_cast<int>(passwordBufferSize));
    // Masked as every password field of the program is, so a box with a password in it does not look empty.
    m_passwordBox->setEchoMode(QLineEdit::Password);
    auto* show = named(new QCheckBox(QStringLiteral("Sh&ow"), panel), "showPassword");
    connect(show, &QCheckBox::toggled, this,
            [this](bool shown) { m_passwordBox->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password); });
    layout->addWidget(caption(QStringLiteral("Please choose your &Password:"), m_passwordBox, panel));
    auto* field = new QHBoxLayout;
    field->addWidget(m_passwordBox, 1);
    field->addWidget(show);
    layout->addLayout(field);
    layout->addWidget(meterPanels());
    m_generator = new GeneratorPanel(panel);
    connect(m_generator, &GeneratorPanel::generated, this, [this](const QString& password) {
        m_passwordBox->setText(password);
        m_passwordBox->setFocus();
    });
    layout->addWidget(m_generator);
    layout->addStretch();
    return panel;
}

// The breakdown panel with its three bars, and below it the score panel; hiding the first lifts the second
// into its place.
QWidget* NewKey::meterPanels()
{
    auto* meter = new QWidget;
    auto* column = new QVBoxLayout(meter);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const int captionWidth = fontMetrics().horizontalAdvance(difficultyCaption()) + 12;
    auto barRow = [captionWidth](QGridLayout* grid, int row, const QString& text, MeterBar* bar) {
        auto* label = new QLabel(text);
        label->setFixedWidth(captionWidth);
        bar->setAccessibleName(QString(text).remove(QLatin1Char(':')));
        grid->addWidget(label, row, 0);
        grid->addWidget(bar, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        grid->setRowMinimumHeight(row, 16);
    };

    m_breakdownIndicator = named(new QWidget(meter), "breakdownIndicator");
    auto* breakdown = new QGridLayout(m_breakdownIndicator);
    breakdown->setContentsMargins(0, 2, 0, 2);
    breakdown->setVerticalSpacing(0);
    breakdown->addWidget(thinLine(m_breakdownIndicator), 0, 0, 1, 3);
    barRow(breakdown, 1, lengthCaption(), m_picture2 = named(new MeterBar, "Picture2"));
    barRow(breakdown, 2, varietyCaption(), m_picture1 = named(new MeterBar, "Picture1"));
    barRow(breakdown, 3, difficultyCaption(), m_picture3 = named(new MeterBar, "Picture3"));
    breakdown->addWidget(thinLine(m_breakdownIndicator), 4, 0, 1, 3);
    breakdown->setColumnStretch(2, 1);

    auto* totalScoreIndicator = named(new QWidget(meter), "totalScoreIndicator");
    auto* score = new QGridLayout(totalScoreIndicator);
    score->setContentsMargins(0, 2, 0, 0);
    score->setVerticalSpacing(4);
    barRow(score, 0, scoreCaption(), m_totalScore = named(new MeterBar, "totalScore"));
    m_check1 =
        named(new QCheckBox(QStringLiteral("&Enable Password Breakdown Indicators"), totalScoreIndicator), "Check1");
    score->addWidget(m_check1, 1, 0, 1, 3);
    score->setColumnStretch(2, 1);

    column->addWidget(m_breakdownIndicator);
    column->addWidget(totalScoreIndicator);
    return meter;
}

QWidget* NewKey::analysisPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* panel = page(3,
                          {QStringLiteral("Password analyser is now analysing your password to warn you against "
                                          "common password attacks.")},
                          layout);
    m_command1 = named(new QPushButton(QStringLiteral("Command1"), panel), "Command1");
    // The caption says nothing of what it does; a screen reader hears the command.
    m_command1->setAccessibleName(QStringLiteral("Run the advanced password check"));
    m_command1->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(m_command1);
    row->addWidget(new QLabel(QStringLiteral("<-- Use at your own risk!"), panel));
    row->addStretch();
    layout->addLayout(row);
    m_reportArea = new ReportArea(panel);
    layout->addWidget(m_reportArea);
    layout->addStretch();
    return panel;
}

QWidget* NewKey::accountPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* panel = page(4,
                          {QStringLiteral("If this key is for an internet site, or a multiuser network, you may "
                                          "wish to enter a Username and URL for this key.")},
                          layout);
    m_keyUsername = named(new QLineEdit(panel), "keyUsername");
    m_keyURL = named(new QLineEdit(panel), "keyURL");
    m_keyDescription = named(new QPlainTextEdit(panel), "keyDescription");
    m_keyDescription->setFont(QFont(QStringLiteral("Courier New")));
    m_keyDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_keyDescription->setTabChangesFocus(true);
    auto* fields = new QVBoxLayout;
    fields->setSpacing(2);
    fields->addWidget(caption(QStringLiteral("Username:"), m_keyUsername, panel));
    fields->addWidget(m_keyUsername);
    fields->addSpacing(4);
    fields->addWidget(caption(QStringLiteral("URL:"), m_keyURL, panel));
    fields->addWidget(m_keyURL);
    fields->addSpacing(4);
    fields->addWidget(caption(QStringLiteral("Notes:"), m_keyDescription, panel));
    fields->addWidget(m_keyDescription, 1);
    layout->addLayout(fields, 1);
    return panel;
}

QWidget* NewKey::closingPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* panel = page(5,
                          {QStringLiteral("You have now completed the Tessary Password Wizard!"),
                           QStringLiteral("Click Finish to finish making your new key.")},
                          layout);
    layout->addStretch();
    return panel;
}

// The etched line and the buttons, left to right Back, Next, Cancel, Help.
QWidget* NewKey::buttonStrip()
{
    auto* strip = named(new QWidget(this), "Picture4");
    auto* layout = new QVBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(thinLine(strip));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto add = [this, strip, buttons](int index, const QString& text) {
        auto* button = new QPushButton(text, strip);
        button->setObjectName(QStringLiteral("cmdNav_%1").arg(index));
        // No default button: Enter in a field does what that field says (on a button it presses that button).
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, index] { cmdNav_Click(index); });
        buttons->addWidget(button);
        return button;
    };
    m_back = add(Back, QStringLiteral("< &Back"));
    m_next = add(Next, {}); // captioned by the walk
    m_cancel = add(Cancel, QStringLiteral("&Cancel"));
    add(Help, QStringLiteral("&Help"));
    layout->addLayout(buttons);
    return strip;
}

} // namespace tessary
