#pragma once

#include <chrono>
#include <functional>

namespace tessary {

// One reading of two clocks: `awake` stands still while the computer sleeps (the clock an X server counts its
// idle time by), `elapsed` runs on through a sleep. Their difference grows by each sleep's length.
struct IdleMoment
{
    std::chrono::milliseconds awake{0};
    std::chrono::milliseconds elapsed{0};
};

// The system's two clocks (CLOCK_MONOTONIC and CLOCK_BOOTTIME).
IdleMoment systemIdleMoment();

// When the idle lock falls due: the timeout passed since the last keyboard or mouse input, counted in elapsed
// time, so that a sleep longer than the timeout makes it due at the first look after waking. Input is learned
// from the program's own windows (inputSeen) and, where the desktop tells it, from the desktop's idle time.
class IdleRule
{
public:
    using Clock = std::function<IdleMoment()>;

    explicit IdleRule(Clock clock = systemIdleMoment);

    // 0 never locks.
    void setTimeout(std::chrono::minutes timeout) { m_timeout = timeout; }
    std::chrono::minutes timeout() const { return m_timeout; }

    // A login: the count starts now.
    void restart();
    // Input in one of the program's own windows, now.
    void inputSeen();
    // The desktop's idle time as of now, on its awake clock. It tells of input anywhere on the desktop; input it
    // reports from before the last one known changes nothing.
    void desktopIdle(std::chrono::milliseconds idle);

    // The time since the last input known, sleeps included.
    std::chrono::milliseconds idleTime() const;
    bool isDue() const;

private:
    Clock m_clock;
    std::chrono::minutes m_timeout{5};
    IdleMoment m_lastInput;
    // elapsed - awake at the last reading: the sleeps known of before now.
    std::chrono::milliseconds m_sleptBefore{0};
};

} // namespace tessary
