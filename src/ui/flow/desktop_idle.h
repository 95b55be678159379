#pragma once

#include <QObject>

#include <chrono>

namespace tessary {

// How long the whole desktop has gone without keyboard or mouse input: the X server's screen-saver extension
// where the program runs on X11, else GNOME's idle monitor over D-Bus where one answers. Where neither does,
// there is no source, and the program counts input in its own windows alone.
class DesktopIdle : public QObject
{
    Q_OBJECT
public:
    enum class Source
    {
        XScreenSaver,
        IdleMonitor,
        OwnWindowsOnly
    };

    explicit DesktopIdle(QObject* parent = nullptr);
    ~DesktopIdle() override;

    Source source() const { return m_source; }
    // Asks; the answer comes through idleTime, at once from the X server, a little later over D-Bus.
    void query();

signals:
    void idleTime(std::chrono::milliseconds idle);

private:
    void queryIdleMonitor(bool first);

    Source m_source = Source::OwnWindowsOnly;
    void* m_display = nullptr; // the X display of the extension's own connection
    void* m_info = nullptr;
    bool m_waiting = false; // an idle monitor's answer is still to come
};

} // namespace tessary
