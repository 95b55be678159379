#pragma once

#include "app/tray_messages.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;

namespace tessary {

// The notification-area icon and its pop-up menu. It is what keeps the program running with no window open.
class TessaryTray : public QObject
{
    Q_OBJECT
public:
    // Without a tray on the desktop the menu still exists, but no icon is shown.
    explicit TessaryTray(bool trayAvailable, QObject* parent = nullptr);
    ~TessaryTray() override;

    void Form_Load();
    void Form_Unload();
    // The icon's mouse message, as the notification area numbers it.
    void Form_MouseMove(int message);

    void mnuLogin_Click();
    void mnuQuit_Click();

    bool isIconShown() const;
    QSystemTrayIcon* icon() const { return m_icon; }
    QMenu* popupMenu() const { return m_popup; }
    QAction* loginItem() const { return m_login; }
    QAction* lockItem() const { return m_lock; }
    // The first item's caption, and "Loc&k" shown, while someone is logged in.
    void setLoggedIn(bool loggedIn);

signals:
    // "&Login" (or "Key Browser"), chosen from the menu or by a double click.
    void loginChosen();
    void exitChosen();
    void lockChosen();
    void optionsChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void popUp(QAction* defaultItem);

    QSystemTrayIcon* m_icon = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_login = nullptr;
    QAction* m_lock = nullptr;
    // The press that opened the menu: the menu takes the mouse, so a double click's second press comes to it.
    QElapsedTimer m_clock;
    TrayPress m_menuPress;
};

// The activation reason Qt reports, as the mouse message the tray's handler decodes.
int trayMessageFor(QSystemTrayIcon::ActivationReason reason);

// "Key Browser": the first item's caption after a login.
QString keyBrowserItemCaption();
// "&Login": the first item's caption while nobody is logged in.
QString loginItemCaption();

} // namespace tessary
