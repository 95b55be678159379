#include "ui/flow/screen_lock_watcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <unistd.h>

#include <utility>

namespace tessary {

namespace {

const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");

} // namespace

ScreenLockWatcher::ScreenLockWatcher(QObject* parent) : QObject(parent)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        // Desktops disagree on the path; KDE and others use both, GNOME its own interface.
        const std::pair<const char*, const char*> sources[] = {
            {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
            {"/ScreenSaver", "org.freedesktop.ScreenSaver"},
            {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
        };
        for (const auto& [path, interface] : sources)
            m_sessionBus |= session.connect(QString(), QLatin1String(path), QLatin1String(interface),
                                            QStringLiteral("ActiveChanged"), this, SLOT(activeChanged(bool)));
    }

    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected())
        return;
    m_systemBus = system.connect(login1, login1Path, QStringLiteral("org.freedesktop.login1.Manager"),
                                 QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    // The Lock signal comes from this session's own object; its path is asked for, without waiting.
    const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    QDBusMessage ask = QDBusMessage::createMethodCall(
        login1, login1Path, QStringLiteral("org.freedesktop.login1.Manager"),
        sessionId.isEmpty() ? QStringLiteral("GetSessionByPID") : QStringLiteral("GetSession"));
    if (sessionId.isEmpty())
        ask << quint32(::getpid());
    else
        ask << sessionId;
    auto* answer = new QDBusPendingCallWatcher(system.asyncCall(ask), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QDBusObjectPath> reply = *call;
        if (reply.isValid())
            listenToSessionLock(reply.value().path());
        call->deleteLater();
    });
}

void ScreenLockWatcher::listenToSessionLock(const QString& sessionPath)
{
    QDBusConnection::systemBus().connect(login1, sessionPath, QStringLiteral("org.freedesktop.login1.Session"),
                                         QStringLiteral("Lock"), this, SLOT(sessionLock()));
}

void ScreenLockWatcher::activeChanged(bool active)
{
    if (active)
        emit screenLocked();
}

void ScreenLockWatcher::prepareForSleep(bool start)
{
    if (start)
        emit goingToSleep();
    else
        emit wokeUp();
}

void ScreenLockWatcher::sessionLock()
{
    emit screenLocked();
}

} // namespace tessary
