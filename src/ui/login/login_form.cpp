#include "ui/login/login_form.h"

#include "app/session.h"
#include "app/start_rules.h"
#include "crypto/random.h"
#include "crypto/wipe.h"
#include "storage/user_list.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/password_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>

namespace tessary {

LoginForm::LoginForm(Session& session, QWidget* parent)
    : QWidget(parent), m_session(session), m_loginNames(new QComboBox(this)), m_passwordBox(new PasswordBox(this)),
      m_doneButton(new QPushButton(QStringLiteral("&OK"), this)),
      m_cancelButton(new QPushButton(QStringLiteral("&Cancel"), this)), m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("loginForm"));
    setWindowTitle(QStringLiteral("Tessary Login"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    m_loginNames->setObjectName(QStringLiteral("LoginNames"));
    // Named by its label, not by the name it shows.
    m_loginNames->setAccessibleName(QStringLiteral("Username"));
    m_passwordBox->setObjectName(QStringLiteral("passwordBox"));
    // Its label's note on safe mode is no part of its name.
    m_passwordBox->setAccessibleName(QStringLiteral("Password"));
    m_doneButton->setObjectName(QStringLiteral("DoneButton"));
    m_cancelButton->setObjectName(QStringLiteral("Command1"));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(15);
    m_doneButton->setDefault(true);

    auto* nameLabel = new QLabel(QStringLiteral("&Username:"), this);
    nameLabel->setObjectName(QStringLiteral("Label2"));
    nameLabel->setBuddy(m_loginNames);
    auto* passwordLabel = new QLabel(QStringLiteral("&Password: (Safe Mode Disabled)"), this);
    passwordLabel->setObjectName(QStringLiteral("Label3"));
    passwordLabel->setBuddy(m_passwordBox);

    auto* grid = new QGridLayout;
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_loginNames, 1, 0);
    grid->addWidget(passwordLabel, 2, 0);
    grid->addWidget(m_passwordBox, 3, 0);
    m_loginNames->setMinimumContentsLength(24);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_doneButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    // Choosing the entry that is already selected counts too, as a click on the list does.
    connect(m_loginNames, &QComboBox::currentIndexChanged, this, &LoginForm::DoNameCheck);
    connect(m_loginNames, &QComboBox::activated, this, &LoginForm::DoNameCheck);
    connect(m_passwordBox, &QLineEdit::returnPressed, this, &LoginForm::DoneButton_Click);
    connect(m_doneButton, &QPushButton::clicked, this, &LoginForm::DoneButton_Click);
    connect(m_cancelButton, &QPushButton::clicked, this, &LoginForm::Command1_Click);
    connect(m_timer1, &QTimer::timeout, this, &LoginForm::Timer1_Timer);
    // Enter on the closed list presses the default button, as it does in the password box.
    m_loginNames->installEventFilter(this);
}

// Esc typed in any of the window's controls ends the program, as Cancel does. The controls pass it on, except the
// dropped-down user list, which takes it to close itself.
void LoginForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Command1_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool LoginForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_loginNames && event->type() == QEvent::KeyPress && !m_loginNames->view()->isVisible()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Not while a login is being checked: the button is disabled then.
            if (m_doneButton->isEnabled())
                DoneButton_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LoginForm::Form_Load()
{
    QString error;
    m_userNames = readUserList(m_session.path(QString::fromLatin1(userListFileName)), maximumUsers, &error);
    if (!error.isEmpty())
        MessageBox::show(this, error, {}, MessageBox::Kind::Failure);
    m_newUserIndex = int(m_userNames.size());
    m_userNames.append(newUserEntry());
    m_loginNames->clear();
    m_loginNames->addItems(m_userNames);
    m_loginNames->setCurrentIndex(0);
    DoNameCheck();

    adjustSize();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
    }
    show();
    m_passwordBox->setFocus();
}

void LoginForm::DoNameCheck()
{
    if (m_loginNames->currentIndex() == m_newUserIndex) {
        m_passwordBox->setEnabled(false);
        m_passwordBox->setBackground(disabledBoxColour());
        m_passwordBox->clear();
    } else {
        m_passwordBox->setEnabled(true);
        m_passwordBox->setBackground(Qt::white);
    }
}

void LoginForm::DoneButton_Click()
{
    if (m_loginNames->currentIndex() == m_newUserIndex) {
        emit newUserChosen();
        return;
    }
    if (m_passwordBox->text().isEmpty()) {
        failLogin(incorrectPasswordMessage(), MessageBox::programTitle(), MessageBox::Kind::Refusal);
        return;
    }
    m_passwordBox->setTextTimeout(0);
    m_passwordBox->setShowsText(false);
    m_doneButton->setEnabled(false);
    m_passwordBox->setEnabled(false);
    // Events may end the program here (a quit from the tray, a signal), which takes this window away: then there is
    // nothing left to do.
    const QPointer<LoginForm> alive(this);
    QCoreApplication::processEvents();
    if (!alive || isHidden())
        return;

    QString password = m_passwordBox->text();
    m_passwordBox->clear();
    GarblePasswordBox(int(password.size()));

    const QString name = m_loginNames->currentText();
    const Session::Outcome outcome = m_session.login(name, password);
    wipe(password);
    if (!outcome.warning.isEmpty()) {
        MessageBox::show(this, outcome.warning, MessageBox::programTitle(), MessageBox::Kind::Failure);
        if (!alive || isHidden())
            return;
    }

    switch (outcome.status) {
    case Session::Outcome::Status::LoggedIn:
        if (outcome.isOlder()) {
            // No, the default, keeps the newer ring's place: the older one opens read-only.
            if (MessageBox::askYesNo(this,
                                     olderKeyRingMessage(outcome.openedGeneration, outcome.rememberedGeneration) +
                                         QStringLiteral("\n\r") + olderKeyRingQuestion(),
                                     MessageBox::programTitle(), MessageBox::Kind::Refusal))
                m_session.acceptOlderKeyRing();
            if (!alive)
                return;
        }
        emit loggedIn();
        if (!alive)
            return;
        unsetCursor();
        hide();
        return;
    case Session::Outcome::Status::AlreadyLoggedIn:
        emit alreadyLoggedIn();
        hide();
        return;
    case Session::Outcome::Status::IncorrectPassword:
    case Session::Outcome::Status::Refused:
    case Session::Outcome::Status::UnusableKeyRing:
        if (outcome.mustEnd) {
            MessageBox::show(this, outcome.message, outcomeTitle(outcome), outcomeKind(outcome));
            emit exitChosen();
            return;
        }
        failLogin(outcome.message, outcomeTitle(outcome), outcomeKind(outcome));
        return;
    }
}

void LoginForm::GarblePasswordBox(int passwordLength)
{
    const int count = garbleLength(passwordLength, QRandomGenerator::global()->generateDouble());
    m_passwordBox->setText(m_passwordBox->text() + QString::fromLatin1(randomPassword(count)));
}

void LoginForm::failLogin(const QString& message, const QString& title, MessageBox::Kind kind)
{
    m_failureMessage = message;
    m_failureTitle = title;
    m_failureKind = kind;
    m_passwordBox->clear();
    m_timer1->start();
}

void LoginForm::Timer1_Timer()
{
    m_timer1->stop();
    m_doneButton->setEnabled(true);
    m_passwordBox->setEnabled(true);
    const QPointer<LoginForm> alive(this);
    MessageBox::show(this, m_failureMessage, m_failureTitle, m_failureKind);
    QCoreApplication::processEvents();
    if (alive)
        m_passwordBox->setFocus();
}

void LoginForm::Command1_Click()
{
    emit exitChosen();
}

void LoginForm::chooseUser(const QString& userName)
{
    const int index = int(m_userNames.indexOf(userName));
    if (index >= 0 && index != m_newUserIndex)
        m_loginNames->setCurrentIndex(index);
    DoNameCheck();
    m_passwordBox->setFocus();
}

void LoginForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

QString outcomeTitle(const Session::Outcome& outcome)
{
    // A wrong password and a file that is no key ring are the program's own boxes; other refusals are the system's.
    const bool programs = outcome.status == Session::Outcome::Status::IncorrectPassword ||
                          outcome.status == Session::Outcome::Status::UnusableKeyRing;
    return programs ? MessageBox::programTitle() : QString();
}

MessageBox::Kind outcomeKind(const Session::Outcome& outcome)
{
    // A file the program cannot use is the system's failure; everything else was the user's to change.
    return outcome.status == Session::Outcome::Status::UnusableKeyRing || outcome.mustEnd ? MessageBox::Kind::Failure
                                                                                          : MessageBox::Kind::Refusal;
}

QString olderKeyRingQuestion()
{
    return QStringLiteral("Go on with this copy, and save over the newer one from now on? No opens it read-only: "
                          "nothing is written to it.");
}

QString newUserEntry()
{
    return QStringLiteral("[New User]");
}

} // namespace tessary
