#pragma once

#include <QObject>

namespace tessary {

// What the desktop says over D-Bus when the screen locks and when the computer is about to sleep or has woken:
// org.freedesktop.ScreenSaver's and org.gnome.ScreenSaver's ActiveChanged on the session bus (from any sender),
// and logind's Lock of this session and PrepareForSleep on the system bus. A bus that is not there is left out;
// nothing fails without one.
class ScreenLockWatcher : public QObject
{
    Q_OBJECT
public:
    explicit ScreenLockWatcher(QObject* parent = nullptr);

    bool hearsSessionBus() const { return m_sessionBus; }
    bool hearsSystemBus() const { return m_systemBus; }

signals:
    // The screen saver or the screen lock started, or logind locks this session.
    void screenLocked();
    // logind's PrepareForSleep(true).
    void goingToSleep();
    // PrepareForSleep(false): an idle time that passed in the sleep is due now.
    void wokeUp();

public slots:
    void activeChanged(bool active);
    void prepareForSleep(bool start);
    void sessionLock();

private:
    void listenToSessionLock(const QString& sessionPath);

    bool m_sessionBus = false;
    bool m_systemBus = false;
};

} // namespace tessary
