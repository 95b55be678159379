#pragma once

#include "app/idle_rule.h"
#include "app/program_options.h"

#include <QObject>

class QTimer;

namespace tessary {

class DesktopIdle;
class ScreenLockWatcher;

// When the program locks by itself, while it is armed (someone is logged in): after the idle time Options sets,
// counted from the last input on the desktop (or in the program's own windows, where the desktop tells none),
// and, when Options says so, as the screen locks or before the computer sleeps. It looks once a second, so a
// sleep longer than the idle time locks within a second of waking.
class AutoLock : public QObject
{
    Q_OBJECT
public:
    explicit AutoLock(IdleRule::Clock clock = systemIdleMoment, QObject* parent = nullptr);

    void apply(const ProgramOptions& options);
    // A login: the idle time starts now.
    void arm();
    void disarm();
    bool isArmed() const { return m_armed; }

    // One look: the desktop asked for its idle time, then the rule.
    void check();

    const IdleRule& rule() const { return m_rule; }
    DesktopIdle* desktopIdle() const { return m_desktopIdle; }
    ScreenLockWatcher* screenLockWatcher() const { return m_watcher; }
    QTimer* timer() const { return m_timer; }

signals:
    void lockDue();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void screenLocked();
    void lockIfDue();

    IdleRule m_rule;
    QTimer* m_timer;
    DesktopIdle* m_desktopIdle;
    ScreenLockWatcher* m_watcher;
    bool m_armed = false;
    bool m_onScreenLock = true;
};

} // namespace tessary
