#include "ui/flow/tessary_tray.h"

#include "app/tray_messages.h"
#include "ui/widgets/icons.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>

namespace tessary {

TessaryTray::TessaryTray(bool trayAvailable, QObject* parent) : QObject(parent), m_popup(new QMenu)
{
    setObjectName(QStringLiteral("TessaryTray"));
    m_popup->setObjectName(QStringLiteral("mPopupSys"));
    m_popup->setTitle(QStringLiteral("Hello, World!"));

    m_login = m_popup->addAction(loginItemCaption(), this, &TessaryTray::mnuLogin_Click);
    m_login->setObjectName(QStringLiteral("mnuLogin"));
    // Only while someone is logged in.
    m_lock = m_popup->addAction(QStringLiteral("Loc&k"), this, &TessaryTray::lockChosen);
    m_lock->setObjectName(QStringLiteral("mnuLock"));
    m_lock->setVisible(false);
    m_popup->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    QAction* options = m_popup->addAction(QStringLiteral("&Options..."), this, &TessaryTray::optionsChosen);
    options->setObjectName(QStringLiteral("mnuOptions"));
    QAction* quit = m_popup->addAction(QStringLiteral("&Exit"), this, &TessaryTray::mnuQuit_Click);
    quit->setObjectName(QStringLiteral("mnuQuit"));
    m_popup->installEventFilter(this);
    m_clock.start();

    if (trayAvailable) {
        m_icon = new QSystemTrayIcon(programIcon(), this);
        m_icon->setToolTip(QStringLiteral("Tessary"));
        connect(m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) { Form_MouseMove(trayMessageFor(reason)); });
    }
}

TessaryTray::~TessaryTray()
{
    delete m_popup;
}

void TessaryTray::Form_Load()
{
    if (m_icon)
        m_icon->show();
}

void TessaryTray::Form_Unload()
{
    m_popup->hide();
    if (m_icon)
        m_icon->hide();
}

bool TessaryTray::isIconShown() const
{
    return m_icon && m_icon->isVisible();
}

void TessaryTray::Form_MouseMove(int message)
{
    const TrayAction action = decodeTrayMessage(message);
    // A window that waits for an answer comes forward at any click: a menu behind it could not be used.
    if (QWidget* waiting = QApplication::activeModalWidget(); waiting && action != TrayAction::Nothing) {
        m_popup->hide();
        waiting->show();
        waiting->raise();
        waiting->activateWindow();
        return;
    }
    switch (action) {
    case TrayAction::MenuWithDefault:
        m_menuPress = {message, m_clock.elapsed(), QCursor::pos()};
        popUp(m_login);
        break;
    case TrayAction::MenuWithoutDefault:
        m_menuPress = {message, m_clock.elapsed(), QCursor::pos()};
        popUp(nullptr);
        break;
    case TrayAction::FirstItem:
        // A double click's first press has already opened the menu.
        m_popup->hide();
        mnuLogin_Click();
        break;
    case TrayAction::Nothing:
        break;
    }
}

bool TessaryTray::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_popup ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick))
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (m_popup->rect().contains(mouse->position().toPoint()))
        return false; // a press on the menu itself
    const int button = mouse->button() == Qt::LeftButton    ? TrayMessage::LeftButtonDown
                       : mouse->button() == Qt::RightButton ? TrayMessage::RightButtonDown
                                                            : 0;
    const QStyleHints* hints = QGuiApplication::styleHints();
    const int doubleClick = trayDoubleClick(m_menuPress, {button, m_clock.elapsed(), mouse->globalPosition().toPoint()},
                                            hints->mouseDoubleClickInterval(), hints->mouseDoubleClickDistance());
    if (doubleClick == 0)
        return false; // elsewhere, or too late: the menu closes as usual
    m_menuPress = {};
    Form_MouseMove(doubleClick);
    return true;
}

void TessaryTray::popUp(QAction* defaultItem)
{
    m_popup->setDefaultAction(defaultItem);
    m_popup->popup(QCursor::pos());
    m_popup->activateWindow();
}

void TessaryTray::setLoggedIn(bool loggedIn)
{
    m_login->setText(loggedIn ? keyBrowserItemCaption() : loginItemCaption());
    m_lock->setVisible(loggedIn);
}

void TessaryTray::mnuLogin_Click()
{
    emit loginChosen();
}

void TessaryTray::mnuQuit_Click()
{
    emit exitChosen();
}

int trayMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayMessage::LeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return TrayMessage::LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return TrayMessage::RightButtonDown;
    case QSystemTrayIcon::MiddleClick:
        return TrayMessage::MiddleButtonDown;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return TrayMessage::MouseMove;
}

QString keyBrowserItemCaption()
{
    return QStringLiteral("Key Browser");
}

QString loginItemCaption()
{
    return QStringLiteral("&Login");
}

} // namespace tessary
