#include "ui/wizard/new_key.h"

#include "analysis/crack_time.h"
#include "app/session.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "storage/notes_text.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/notes_limit.h"
#include "ui/widgets/storable_field.h"
#include "ui/wizard/report_area.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>

namespace tessary {

namespace {

// The busy cursor while the timing loops hold the window, restored however the check ends.
struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

bool isEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

NewKey::NewKey(Session& session, KeyTableModel& model, QWidget* owner)
    : QDialog(owner), m_session(session), m_model(model), m_passwordBuffer(passwordBufferSize, ' '),
      m_check(std::make_shared<CrackTimeCheck>())
{
    setObjectName(QStringLiteral("newKey"));
    setWindowTitle(passwordWizardCaption());
    // Modal to the whole program: a login from the tray meanwhile would swap the table the key goes into.
    setWindowModality(Qt::ApplicationModal);
    buildWindow();

    connect(m_keyName, &QLineEdit::textChanged, this, &NewKey::keyName_Change);
    connect(m_passwordBox, &QLineEdit::textChanged, this, &NewKey::PasswordBox_Change);
    connect(m_check1, &QCheckBox::clicked, this, &NewKey::Check1_Click);
    connect(m_command1, &QPushButton::clicked, this, &NewKey::Command1_Click);
    new NotesLimit(m_keyDescription, maximumNotesLength);
    for (QWidget* field :
         {static_cast<QWidget*>(m_keyName), static_cast<QWidget*>(m_passwordBox), static_cast<QWidget*>(m_keyUsername),
          static_cast<QWidget*>(m_keyURL), static_cast<QWidget*>(m_keyDescription), static_cast<QWidget*>(m_command1)})
        field->installEventFilter(this);
    for (QPushButton* button : findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^cmdNav_"))))
        button->installEventFilter(this);
    Form_Load();
}

NewKey::~NewKey()
{
    wipeSecrets();
}

void NewKey::Form_Load()
{
    m_passwordWizard->setCurrentIndex(NewKeyWalk::Welcome);
    // The difficulty score's letter-pair table is all zero and nothing fills it, so there is nothing to clear.
    loadBreakdownSetting();
    showWalk();
    m_next->setFocus();
}

void NewKey::cmdNav_Click(int index)
{
    switch (index) {
    case Next:
        next();
        break;
    case Back:
        back();
        break;
    case Cancel:
        reject();
        break;
    case Help:
        help();
        break;
    default:
        break;
    }
}

void NewKey::next()
{
    if (m_walk.checking())
        return;
    // Text the key ring's code page cannot hold would be stored as '?': refused before the page is left.
    if (m_walk.currentPage() == NewKeyWalk::PasswordPage &&
        !storableOrRefused(m_passwordBox, QStringLiteral("password"), m_passwordBox->text(), false))
        return;
    if (m_walk.currentPage() == NewKeyWalk::AccountPage && !accountStorable())
        return;
    apply(m_walk.next(keyNameAcceptable()));
}

void NewKey::back()
{
    apply(m_walk.back(!m_keyName->text().isEmpty()));
}

void NewKey::apply(const NewKeyWalk::Step& step)
{
    if (step.effect == NewKeyWalk::Effect::Ignored)
        return;
    if (step.effect == NewKeyWalk::Effect::Finish) {
        finish();
        return;
    }
    m_passwordWizard->setCurrentIndex(m_walk.currentPage());
    switch (step.effect) {
    case NewKeyWalk::Effect::TakePassword: {
        m_enteredPassword = m_passwordBox->text();
        QByteArray typed = toCodePage(m_enteredPassword);
        m_passwordBuffer = tessary::passwordBuffer(typed);
        wipe(typed);
        GarblePasswordBox();
        DoPasswordCheckAdvanced();
        break;
    }
    case NewKeyWalk::Effect::DropPassword:
        GarblePasswordBox();
        m_passwordBuffer.fill(' ');
        wipe(m_enteredPassword);
        break;
    default:
        break;
    }
    showWalk();
    switch (step.focus) {
    case NewKeyWalk::Focus::KeyName:
        m_keyName->setFocus();
        break;
    case NewKeyWalk::Focus::PasswordBox:
        m_passwordBox->setFocus();
        break;
    case NewKeyWalk::Focus::NextButton:
        m_next->setFocus();
        break;
    case NewKeyWalk::Focus::KeyUsername:
        m_keyUsername->setFocus();
        break;
    case NewKeyWalk::Focus::Unchanged:
        break;
    }
}

void NewKey::showWalk()
{
    m_back->setEnabled(m_walk.backEnabled());
    m_next->setEnabled(m_walk.nextEnabled());
    m_next->setText(m_walk.nextIsFinish() ? QStringLiteral("&Finish") : QStringLiteral("&Next >"));
    m_cancel->setEnabled(m_walk.cancelEnabled());
    m_command1->setEnabled(!m_walk.checking());
}

bool NewKey::keyNameAcceptable() const
{
    return !m_keyName->text().isEmpty() && keyNameProblem().isEmpty();
}

QString NewKey::keyNameProblem() const
{
    const QString name = m_keyName->text();
    if (!fitsCodePage(name))
        return unstorableTextMessage(QStringLiteral("key name"), name);
    if (!m_session.keyTable().isKeyNameUnique(toCodePage(name)))
        return namesMustBeUniqueMessage();
    return {};
}

void NewKey::keyName_Change()
{
    m_walk.keyNameChanged(keyNameAcceptable());
    const QString problem = m_keyName->text().isEmpty() ? QString() : keyNameProblem();
    if (problem != m_keyNameProblem->text()) {
        m_keyNameProblem->setText(problem);
        // A screen reader hears it with the field, and hears it change.
        m_keyName->setAccessibleDescription(problem);
        QAccessibleEvent changed(m_keyName, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
    showWalk();
}

bool NewKey::accountStorable()
{
    return storableOrRefused(m_keyUsername, QStringLiteral("user name"), m_keyUsername->text()) &&
           storableOrRefused(m_keyURL, QStringLiteral("URL"), m_keyURL->text()) &&
           storableOrRefused(m_keyDescription, QStringLiteral("notes"), m_keyDescription->toPlainText());
}

void NewKey::finish()
{
    KeyRecord record;
    record.name = toCodePage(m_keyName->text());
    record.password = ownCopy(m_passwordBuffer); // the buffer stays for another Finish
    record.description = toCodePage(storedNotes(m_keyDescription->toPlainText()));
    record.url = completeUrl(toCodePage(m_keyURL->text()));
    record.userName = toCodePage(m_keyUsername->text());
    QWidget* owner = parentWidget();
    const KeyTable::AddResult added = m_model.addKey(record);
    wipe(record.password);
    QString error;
    if (added == KeyTable::AddResult::TableFull) {
        hide();
        MessageBox::show(owner, maximumKeysMessage(), {}, MessageBox::Kind::Refusal);
        // What the table holds goes to the file all the same, as after any Finish.
        if (!m_session.save(&error))
            MessageBox::show(owner, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
        accept();
        return;
    }
    if (!m_session.save(&error)) {
        // Not kept in the list without the file: the wizard stays on its last page, its answers whole, so
        // Finish can try again once the disk has room.
        m_model.removeKey(m_session.keyTable().keyCount());
        m_walk.finishFailed();
        showWalk();
        MessageBox::show(this, keptUnsavedMessage(error), MessageBox::programTitle(), MessageBox::Kind::Failure);
        return;
    }
    hide();
    accept();
}

void NewKey::help()
{
    MessageBox::show(this, QStringLiteral("Bar, Humbug!"), hostileModeCaption(), MessageBox::Kind::Alarm);
    setWindowTitle(QStringLiteral("Tessary - Password Wizard (HOSTILE MODE)"));
    if (parentWidget())
        parentWidget()->setWindowTitle(hostileModeCaption());
}

void NewKey::reject()
{
    if (m_walk.mayClose())
        QDialog::reject();
}

void NewKey::done(int result)
{
    wipeSecrets();
    QDialog::done(result);
    // Where no window manager hands the focus back, the key browser takes it again itself.
    if (parentWidget() && parentWidget()->isVisible())
        parentWidget()->activateWindow();
}

void NewKey::closeEvent(QCloseEvent* event)
{
    if (!m_walk.mayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void NewKey::keyPressEvent(QKeyEvent* event)
{
    // No default button: Enter does only what the focused field or button makes of it.
    if (isEnter(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool NewKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (isEnter(key) && qobject_cast<QPushButton*>(watched)) {
            // Enter presses the focused button, as Space does.
            static_cast<QPushButton*>(watched)->click();
            return true;
        }
        if (isEnter(key)) {
            enterKey(watched, key);
            // Ctrl+Enter's line break is put in by enterKey; a plain Enter moved on and leaves the notes as they were.
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// In the notes Ctrl+Enter starts a new line and Enter alone moves on; elsewhere Enter moves on.
void NewKey::enterKey(QObject* field, const QKeyEvent& key)
{
    if (field == m_keyName || field == m_passwordBox) {
        if (m_next->isEnabled())
            cmdNav_Click(Next);
    } else if (field == m_keyUsername) {
        m_keyURL->setFocus();
    } else if (field == m_keyURL) {
        m_keyDescription->setFocus();
    } else if (field == m_keyDescription && (key.modifiers() & Qt::ControlModifier)) {
        m_keyDescription->insertPlainText(QStringLiteral("\n")); // a line feed: only a new line
    } else if (field == m_keyDescription) {
        m_next->setFocus();
        cmdNav_Click(Next);
    }
}

void NewKey::Command1_Click()
{
    if (m_walk.checking())
        return;
    m_walk.setChecking(true);
    showWalk();
    m_reportArea->picture()->clear(); // the last report names the last password

    // The check lets window events run in its middle, and the program may end there and take this window
    // with it: from then on only locals are touched.
    QPointer<NewKey> self(this);
    const std::shared_ptr<CrackTimeCheck> check = m_check;
    QByteArray password = toCodePage(m_enteredPassword);
    Report report;
    {
        const BusyCursor busy;
        report = check->run(password, m_fixedLoops, [&self](const Report& soFar) {
            self->m_reportArea->picture()->setReport(soFar);
            QCoreApplication::processEvents();
            return !self.isNull() && !self->isHidden();
        });
    }
    wipe(password);
    if (!self)
        return;
    m_reportArea->picture()->setReport(report);
    m_walk.setChecking(false);
    showWalk();
    m_command1->setFocus(); // it lost the focus while it was disabled
}

void NewKey::wipeSecrets()
{
    wipe(m_passwordBuffer);
    wipe(m_enteredPassword);
    if (m_passwordBox && !m_passwordBox->text().isEmpty())
        GarblePasswordBox();
    if (m_reportArea)
        m_reportArea->picture()->clear();
}

QString passwordWizardCaption()
{
    return QStringLiteral("Tessary - Password Wizard");
}

QString hostileModeCaption()
{
    return QStringLiteral("Tessary (HOSTILE MODE)");
}

QString keptUnsavedMessage(const QString& error)
{
    return error + QStringLiteral("\n\rThe key ring could not be saved, so the new key is not added yet; Finish "
                                  "tries again.");
}

} // namespace tessary
