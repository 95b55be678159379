// The lock and Log Out, the locks of the program's own accord, and the Options window.
#include "ui/flow/program.h"

#include "ui/about/frm_about.h"
#include "ui/browser/key_browser.h"
#include "ui/browser/password_clipboard.h"
#include "ui/flow/auto_lock.h"
#include "ui/flow/tessary_tray.h"
#include "ui/health/key_health_report.h"
#include "ui/key_properties/change_password.h"
#include "ui/key_properties/modify_key.h"
#include "ui/login/login_form.h"
#include "ui/login/new_user.h"
#include "ui/master_password/change_master_password.h"
#include "ui/options/options_window.h"
#include "ui/security/key_ring_security.h"
#include "ui/transfer/import_preview.h"
#include "ui/update/web_update.h"
#include "ui/widgets/key_table_model.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/slow_work.h"
#include "ui/wizard/new_key.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace tessary {

void Program::lockSession()
{
    if (m_locking || m_ended || !m_session.isLoggedIn())
        return;
    if (slowWorkRunning()) {
        // A key being made or a conversion holds the session's secrets on another thread: the lock follows the
        // moment it ends (under a second), never under it.
        if (!m_lockWaiting) {
            m_lockWaiting = true;
            QTimer::singleShot(20, this, [this] {
                m_lockWaiting = false;
                lockSession();
            });
        }
        return;
    }
    m_locking = true;
    m_autoLock->disarm();
    const QString user = m_session.currentUserName();

    closeWaitingWindows();
    if (m_keyBrowser) {
        m_rowBeforeLock = m_keyBrowser->keyView()->selectedRow();
        m_keyBrowser->leaveSession();
    }
    QString error;
    const bool saved = m_session.logOut(&error);
    // The views let go of every row now: a name being edited in place is dropped, not stored as its editor
    // loses the focus.
    m_model->reload();

    // The key browser's windows go with it; each is hidden first, so that a handler of one still running sees it.
    unload(m_modifyKey);
    unload(m_newKey);
    unload(m_about);
    unload(m_webUpdate);
    unload(m_changePassword);
    unload(m_changeMasterPassword);
    unload(m_keyHealth);
    unload(m_importPreview);
    unload(m_options);
    unload(m_keyRingSecurity);
    unload(m_keyBrowser);
    // The login window of the last login still holds the steps of that typing; New User may hold a password.
    unload(m_loginForm);
    unload(m_newUser);
    if (m_tray)
        m_tray->setLoggedIn(false);

    showLoginForm();
    m_loginForm->chooseUser(user);
    m_locking = false;
    if (!saved)
        MessageBox::show(m_loginForm, error, MessageBox::programTitle(), MessageBox::Kind::Failure);
    emit sessionLocked();
}

void Program::closeWaitingWindows()
{
    // Menus first: one open over a dialog would keep it from closing.
    for (int tries = 0; QApplication::activePopupWidget() && tries < 16; ++tries)
        QApplication::activePopupWidget()->close();
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        auto* dialog = qobject_cast<QDialog*>(window);
        // The program's own windows are hidden, not rejected: the wizard refuses Cancel while it checks.
        const bool ownWindow = window == m_modifyKey || window == m_newKey || window == m_about ||
                               window == m_webUpdate || window == m_changePassword ||
                               window == m_changeMasterPassword || window == m_keyHealth || window == m_importPreview ||
                               window == m_options || window == m_keyRingSecurity || window == m_newUser;
        if (dialog && dialog->isVisible() && !ownWindow)
            dialog->reject();
    }
}

OptionsWindow* Program::showOptions()
{
    if (m_options) {
        m_options->raise();
        m_options->activateWindow();
        return m_options;
    }
    m_options = new OptionsWindow(readProgramOptions(), m_keyBrowser);
    m_options->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_options, &OptionsWindow::optionsChosen, this, [this](const ProgramOptions& options) {
        writeProgramOptions(options);
        applyOptions(options);
    });
    m_options->show();
    m_options->raise();
    m_options->activateWindow();
    return m_options;
}

void Program::applyOptions(const ProgramOptions& options)
{
    m_autoLock->apply(options);
    if (m_keyBrowser)
        m_keyBrowser->passwordClipboard()->setCountdownTicks(options.clipboardSeconds);
}

OptionsWindow* Program::optionsWindow() const
{
    return m_options;
}

} // namespace tessary
