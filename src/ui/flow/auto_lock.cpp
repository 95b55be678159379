#include "ui/flow/auto_lock.h"

#include "ui/flow/desktop_idle.h"
#include "ui/flow/screen_lock_watcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <utility>

namespace tessary {

AutoLock::AutoLock(IdleRule::Clock clock, QObject* parent)
    : QObject(parent), m_rule(std::move(clock)), m_timer(new QTimer(this)), m_desktopIdle(new DesktopIdle(this)),
      m_watcher(new ScreenLockWatcher(this))
{
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &AutoLock::check);
    connect(m_desktopIdle, &DesktopIdle::idleTime, this, [this](std::chrono::milliseconds idle) {
        m_rule.desktopIdle(idle);
        lockIfDue();
    });
    connect(m_watcher, &ScreenLockWatcher::screenLocked, this, &AutoLock::screenLocked);
    connect(m_watcher, &ScreenLockWatcher::goingToSleep, this, &AutoLock::screenLocked);
    connect(m_watcher, &ScreenLockWatcher::wokeUp, this, &AutoLock::check);
    QCoreApplication::instance()->installEventFilter(this);
    apply(ProgramOptions{});
}

void AutoLock::apply(const ProgramOptions& options)
{
    m_rule.setTimeout(std::chrono::minutes(options.lockAfterIdleMinutes));
    m_onScreenLock = options.lockOnScreenLock;
}

void AutoLock::arm()
{
    m_rule.restart();
    m_armed = true;
    m_timer->start();
}

void AutoLock::disarm()
{
    m_armed = false;
    m_timer->stop();
}

void AutoLock::check()
{
    if (!m_armed)
        return;
    m_desktopIdle->query();
    lockIfDue();
}

void AutoLock::lockIfDue()
{
    if (m_armed && m_rule.isDue())
        emit lockDue();
}

void AutoLock::screenLocked()
{
    if (m_armed && m_onScreenLock)
        emit lockDue();
}

bool AutoLock::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        if (m_armed)
            m_rule.inputSeen();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tessary
