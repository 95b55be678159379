#pragma once

#include "app/idle_rule.h"
#include "app/program_options.h"
#include "app/session.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;

namespace tessary {

class AutoLock;
class ChangeMasterPassword;
class ChangePassword;
class FrmAbout;
class ImportPlan;
class ImportPreview;
class KeyBrowser;
class KeyHealthReport;
class KeyRingSecurity;
class KeyTableModel;
class LoginForm;
class ModifyKey;
class NewKey;
class NewUser;
class OptionsWindow;
class TessaryTray;
class WebUpdate;

// The program's flow: start-up, login completion and shutdown. It owns the session (the login state and the
// logged-in key ring), the key table model every window that shows keys works through, and the single instance
// of each window, created when first needed. The windows tell it what happened through their signals; it opens and
// closes them.
class Program : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString dataDirectory;                        // where the user list and the key rings lie
        bool trayAvailable = true;                    // whether the desktop shows tray icons
        std::function<void()> endProcess;             // leaves the event loop; tests observe it instead
        IdleRule::Clock idleClock = systemIdleMoment; // what the idle lock counts by
    };

    explicit Program(Options options);
    ~Program() override;

    Session& session() { return m_session; }

    void startProgram(const QStringList& arguments);
    void showNewUserWindow();
    void showLoginForm();
    // The tray's first item: the key browser once someone is logged in; before, the login window when there is a
    // user list, else New User.
    void showLoginOrNewUser();
    void completeLogin();
    void showKeyBrowser();
    void shutdownProgram();
    bool hasEnded() const { return m_ended; }

    // The login window after "[New User]": gone, so the next showing reads the user list again.
    void unloadLoginForm();
    // A window closed from its title bar. Without a tray icon the program ends with its last window.
    void windowClosed(QWidget* window);

    // The windows the key browser asks for, modal over it and owned by it (program_windows.cpp).
    ModifyKey* showKeyProperties(const QString& keyName);
    NewKey* showNewKey();
    FrmAbout* showAbout();
    WebUpdate* showWebUpdate();
    // Over Key Properties when that is open, else over the key browser.
    ChangePassword* showChangePassword(const QString& keyName);
    ChangeMasterPassword* showChangeMasterPassword();
    KeyRingSecurity* showKeyRingSecurity();
    KeyHealthReport* showKeyHealth();
    // Import From: a file chosen, read and planned, then the preview over the key browser (program_transfer.cpp).
    ImportPreview* showImportFrom();
    // Export To: a file chosen, the warning that it is not enciphered answered, then the file written.
    void exportTo();

    // The lock, Log Out and the locks of their own accord (program_lock.cpp): every window of the session closed
    // (the boxes and dialogs that wait unanswered, nothing they had not stored stored), a password still on the
    // clipboard taken off it, the session logged out, and the login window shown for the same user. The next
    // login reads the key ring afresh and finds the key browser in its last view.
    void lockSession();
    // The Options window, modal; OK stores the choice and puts it in force.
    OptionsWindow* showOptions();
    void applyOptions(const ProgramOptions& options);
    AutoLock* autoLock() const { return m_autoLock; }
    OptionsWindow* optionsWindow() const;

    TessaryTray* tray() const;
    LoginForm* loginForm() const;
    NewUser* newUser() const;
    KeyBrowser* keyBrowser() const;
    ModifyKey* modifyKey() const;
    NewKey* newKey() const;
    ChangePassword* changePassword() const;
    ChangeMasterPassword* changeMasterPassword() const;
    KeyRingSecurity* keyRingSecurity() const;
    KeyHealthReport* keyHealth() const;
    ImportPreview* importPreview() const;

signals:
    // Each window shutdownProgram unloads, by its design name, in order.
    void windowUnloaded(const QString& name);
    // A lock is done: the login window shows.
    void sessionLocked();

private:
    bool anyWindowVisible() const;
    template <typename Window> void unload(QPointer<Window>& window);
    void importKeys(const ImportPlan& plan, const QString& fileName);
    // The boxes, dialogs and menus that wait for an answer: closed unanswered, so whoever asked goes on as after
    // Cancel.
    void closeWaitingWindows();

    Session m_session;
    KeyTableModel* m_model;
    bool m_trayAvailable;
    std::function<void()> m_endProcess;
    bool m_ended = false;
    bool m_shuttingDown = false;
    bool m_locking = false;
    bool m_lockWaiting = false;
    AutoLock* m_autoLock;
    int m_rowBeforeLock = -1; // the key browser's selected row, for the login after a lock

    QPointer<TessaryTray> m_tray;
    QPointer<LoginForm> m_loginForm;
    QPointer<NewUser> m_newUser;
    QPointer<KeyBrowser> m_keyBrowser;
    QPointer<ModifyKey> m_modifyKey;
    QPointer<NewKey> m_newKey;
    QPointer<FrmAbout> m_about;
    QPointer<WebUpdate> m_webUpdate;
    QPointer<ChangePassword> m_changePassword;
    QPointer<ChangeMasterPassword> m_changeMasterPassword;
    QPointer<KeyRingSecurity> m_keyRingSecurity;
    QPointer<KeyHealthReport> m_keyHealth;
    QPointer<ImportPreview> m_importPreview;
    QPointer<OptionsWindow> m_options;
};

// Hidden now, gone at the next turn of the event loop: the window may be inside one of its own handlers.
template <typename Window> void Program::unload(QPointer<Window>& window)
{
    if (!window)
        return;
    window->hide();
    window->deleteLater();
    window.clear();
}

// The status bar's word after an import, and the question before an export in clear.
QString importedFromText(int count, const QString& fileName);
QString clearExportWarning(const QString& path);

} // namespace tessary
