#include "ui/flow/desktop_idle.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace tessary {

namespace {

Display* display(void* handle)
{
    return static_cast<Display*>(handle);
}

} // namespace

DesktopIdle::DesktopIdle(QObject* parent) : QObject(parent)
{
    // A connection of its own: Qt's is read by a thread of Qt's. On Wayland an X server counts only its own
    // clients' input, so it is not asked there.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (Display* x = XOpenDisplay(nullptr)) {
            int events = 0;
            int errors = 0;
            if (XScreenSaverQueryExtension(x, &events, &errors) && (m_info = XScreenSaverAllocInfo())) {
                m_display = x;
                m_source = Source::XScreenSaver;
                return;
            }
            XCloseDisplay(x);
        }
    }
    if (QDBusConnection::sessionBus().isConnected())
        queryIdleMonitor(true);
}

DesktopIdle::~DesktopIdle()
{
    if (m_info)
        XFree(m_info);
    if (m_display)
        XCloseDisplay(display(m_display));
}

void DesktopIdle::query()
{
    switch (m_source) {
    case Source::XScreenSaver: {
        auto* info = static_cast<XScreenSaverInfo*>(m_info);
        if (XScreenSaverQueryInfo(display(m_display), DefaultRootWindow(display(m_display)), info))
            emit idleTime(std::chrono::milliseconds(info->idle));
        break;
    }
    case Source::IdleMonitor:
        queryIdleMonitor(false);
        break;
    case Source::OwnWindowsOnly:
        break;
    }
}

// The first question finds out whether a monitor answers at all; only then is it the source.
void DesktopIdle::queryIdleMonitor(bool first)
{
    if (m_waiting)
        return;
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
        QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"));
    m_waiting = true;
    auto* answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ask, 2000), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, first](QDBusPendingCallWatcher* call) {
        m_waiting = false;
        const QDBusPendingReply<quint64> reply = *call;
        call->deleteLater();
        if (!reply.isValid())
            return;
        if (first)
            m_source = Source::IdleMonitor;
        else
            emit idleTime(std::chrono::milliseconds(qint64(reply.value())));
    });
}

} // namespace tessary
