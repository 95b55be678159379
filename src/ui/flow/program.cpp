#include "ui/flow/program.h"

#include "app/start_rules.h"
#include "storage/user_list.h"
#include "ui/browser/key_browser.h"
#include "ui/browser/key_filter_model.h"
#include "ui/browser/password_clipboard.h"
#include "ui/flow/auto_lock.h"
#include "ui/flow/tessary_tray.h"
#include "ui/key_properties/modify_key.h"
#include "ui/login/login_form.h"
#include "ui/login/new_user.h"
#include "ui/options/options_window.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/slow_work.h"
#include "ui/wizard/new_key.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace tessary {

namespace {

void bringUp(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

Program::Program(Options options)
    : m_session(std::move(options.dataDirectory)), m_model(new KeyTableModel(m_session, this)),
      m_trayAvailable(options.trayAvailable), m_endProcess(std::move(options.endProcess)),
      m_autoLock(new AutoLock(std::move(options.idleClock), this))
{
    if (!m_endProcess)
        m_endProcess = [] { QCoreApplication::exit(0); };
    m_autoLock->apply(readProgramOptions());
    connect(m_autoLock, &AutoLock::lockDue, this, &Program::lockSession);
    m_session.setSlowWork(runSlowWork);
}

Program::~Program()
{
    delete m_keyBrowser;
    delete m_loginForm;
    delete m_newUser;
    delete m_options;
    delete m_model; // before the session it watches
}

TessaryTray* Program::tray() const
{
    return m_tray;
}

LoginForm* Program::loginForm() const
{
    return m_loginForm;
}

NewUser* Program::newUser() const
{
    return m_newUser;
}

KeyBrowser* Program::keyBrowser() const
{
    return m_keyBrowser;
}

ModifyKey* Program::modifyKey() const
{
    return m_modifyKey;
}

NewKey* Program::newKey() const
{
    return m_newKey;
}

void Program::startProgram(const QStringList& arguments)
{
    m_tray = new TessaryTray(m_trayAvailable, this);
    connect(m_tray, &TessaryTray::loginChosen, this, &Program::showLoginOrNewUser);
    connect(m_tray, &TessaryTray::exitChosen, this, &Program::shutdownProgram);
    connect(m_tray, &TessaryTray::lockChosen, this, &Program::lockSession);
    connect(m_tray, &TessaryTray::optionsChosen, this, &Program::showOptions);
    m_tray->Form_Load();
    // Without an icon to come back through, "/s" would leave the program running out of reach.
    if (startsWithTrayOnly(arguments) && m_tray->isIconShown())
        return;
    showLoginOrNewUser();
}

void Program::showLoginOrNewUser()
{
    // A window that waits for an answer comes first: any other would open behind it, out of reach. (About and the
    // update window wait only for the key browser.)
    if (QWidget* waiting = QApplication::activeModalWidget();
        waiting && waiting->windowModality() == Qt::ApplicationModal) {
        bringUp(waiting);
        return;
    }
    // After a login the item is "Key Browser", and that is what it shows.
    if (m_session.isLoggedIn() && m_keyBrowser) {
        showKeyBrowser();
        return;
    }
    if (QFileInfo::exists(m_session.path(QString::fromLatin1(userListFileName))))
        showLoginForm();
    else
        showNewUserWindow();
}

void Program::showNewUserWindow()
{
    if (!m_newUser) {
        m_newUser = new NewUser(m_session);
        connect(m_newUser, &NewUser::userCreated, this, &Program::completeLogin);
        connect(m_newUser, &NewUser::exitChosen, this, &Program::shutdownProgram);
        connect(m_newUser, &NewUser::closed, this, [this] { windowClosed(m_newUser); });
        connect(m_newUser, &NewUser::cancelled, this, [this] {
            unload(m_newUser);
            // As Login's Cancel, when nothing else is open.
            if (!anyWindowVisible())
                shutdownProgram();
        });
    }
    bringUp(m_newUser);
}

void Program::showLoginForm()
{
    if (!m_loginForm) {
        m_loginForm = new LoginForm(m_session);
        connect(m_loginForm, &LoginForm::newUserChosen, this, [this] {
            showNewUserWindow();
            unloadLoginForm();
        });
        connect(m_loginForm, &LoginForm::loggedIn, this, &Program::completeLogin);
        connect(m_loginForm, &LoginForm::alreadyLoggedIn, this, &Program::showKeyBrowser);
        connect(m_loginForm, &LoginForm::exitChosen, this, &Program::shutdownProgram);
        connect(m_loginForm, &LoginForm::closed, this, [this] { windowClosed(m_loginForm); });
        m_loginForm->Form_Load();
    }
    bringUp(m_loginForm);
}

void Program::completeLogin()
{
    if (m_ended)
        return;
    // The session derived the master key when it checked the password.
    if (!m_keyBrowser) {
        m_keyBrowser = new KeyBrowser(m_session, *m_model);
        connect(m_keyBrowser, &KeyBrowser::exitChosen, this, &Program::shutdownProgram);
        connect(m_keyBrowser, &KeyBrowser::keyPropertiesRequested, this, &Program::showKeyProperties);
        connect(m_keyBrowser, &KeyBrowser::newKeyRequested, this, &Program::showNewKey);
        connect(m_keyBrowser, &KeyBrowser::aboutRequested, this, &Program::showAbout);
        connect(m_keyBrowser, &KeyBrowser::webUpdateRequested, this, &Program::showWebUpdate);
        connect(m_keyBrowser, &KeyBrowser::changePasswordRequested, this, &Program::showChangePassword);
        connect(m_keyBrowser, &KeyBrowser::changeMasterPasswordRequested, this, &Program::showChangeMasterPassword);
        connect(m_keyBrowser, &KeyBrowser::keyRingSecurityRequested, this, &Program::showKeyRingSecurity);
        connect(m_keyBrowser, &KeyBrowser::keyHealthRequested, this, &Program::showKeyHealth);
        connect(m_keyBrowser, &KeyBrowser::importFromRequested, this, &Program::showImportFrom);
        connect(m_keyBrowser, &KeyBrowser::exportToRequested, this, &Program::exportTo);
        connect(m_keyBrowser, &KeyBrowser::lockRequested, this, &Program::lockSession);
        connect(m_keyBrowser, &KeyBrowser::logOutRequested, this, &Program::lockSession);
        connect(m_keyBrowser, &KeyBrowser::optionsRequested, this, &Program::showOptions);
        m_keyBrowser->passwordClipboard()->setCountdownTicks(readProgramOptions().clipboardSeconds);
    }
    QCoreApplication::processEvents();
    if (m_ended || !m_keyBrowser || !m_session.isLoggedIn())
        return;
    m_keyBrowser->showKeyRing();
    // Back where the lock found it.
    if (m_rowBeforeLock > 0 && m_rowBeforeLock < m_keyBrowser->filterModel()->rowCount())
        m_keyBrowser->keyView()->selectRow(m_rowBeforeLock);
    m_rowBeforeLock = -1;
    bringUp(m_keyBrowser);
    if (m_tray)
        m_tray->setLoggedIn(true);
    m_autoLock->arm();
    // Told once the login window is gone, over the key browser alone.
    if (const QString warning = m_session.takeGenerationWarning(); !warning.isEmpty()) {
        QTimer::singleShot(0, m_keyBrowser, [this, warning] {
            if (m_session.isLoggedIn())
                MessageBox::show(m_keyBrowser, warning, {}, MessageBox::Kind::Failure);
        });
    }
}

void Program::showKeyBrowser()
{
    if (m_keyBrowser)
        bringUp(m_keyBrowser);
}

void Program::unloadLoginForm()
{
    unload(m_loginForm);
}

void Program::windowClosed(QWidget* window)
{
    if (window == m_loginForm)
        unload(m_loginForm);
    else if (window == m_newUser)
        unload(m_newUser);
    if (!(m_tray && m_tray->isIconShown()) && !anyWindowVisible())
        shutdownProgram();
}

bool Program::anyWindowVisible() const
{
    return (m_loginForm && m_loginForm->isVisible()) || (m_newUser && m_newUser->isVisible()) ||
           (m_keyBrowser && m_keyBrowser->isVisible());
}

void Program::shutdownProgram()
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;

    // The properties window and the wizard belong to the key browser but come later in the order.
    const QPointer<ModifyKey> modifyKey = m_modifyKey;
    const QPointer<NewKey> newKey = m_newKey;
    if (m_keyBrowser) {
        emit windowUnloaded(m_keyBrowser->objectName());
        m_keyBrowser->Form_Unload();
        unload(m_keyBrowser);
    }
    if (m_tray) {
        emit windowUnloaded(m_tray->objectName());
        m_tray->Form_Unload();
    }
    if (m_loginForm) {
        emit windowUnloaded(m_loginForm->objectName());
        unload(m_loginForm);
    }
    if (modifyKey) {
        emit windowUnloaded(modifyKey->objectName());
        modifyKey->hide();
    }
    if (newKey) {
        emit windowUnloaded(newKey->objectName());
        newKey->hide(); // a running check sees this and stops; the key browser takes the window with it
    }
    if (m_newUser) {
        emit windowUnloaded(m_newUser->objectName());
        unload(m_newUser);
    }
    unload(m_options);
    m_autoLock->disarm();

    m_ended = true;
    MessageBox::endOfProgram();
    m_endProcess();
}

} // namespace tessary
