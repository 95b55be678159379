#include "app/idle_rule.h"

#include <time.h>

#include <algorithm>
#include <utility>

namespace tessary {

namespace {

std::chrono::milliseconds clockTime(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::seconds(now.tv_sec) +
                                                                 std::chrono::nanoseconds(now.tv_nsec));
}

} // namespace

IdleMoment systemIdleMoment()
{
    return {clockTime(CLOCK_MONOTONIC), clockTime(CLOCK_BOOTTIME)};
}

IdleRule::IdleRule(Clock clock) : m_clock(std::move(clock))
{
    restart();
}

void IdleRule::restart()
{
    m_lastInput = m_clock();
    m_sleptBefore = m_lastInput.elapsed - m_lastInput.awake;
}

void IdleRule::inputSeen()
{
    restart();
}

void IdleRule::desktopIdle(std::chrono::milliseconds idle)
{
    const IdleMoment now = m_clock();
    const std::chrono::milliseconds inputAwake = now.awake - std::max(idle, std::chrono::milliseconds(0));
    if (inputAwake > m_lastInput.awake) {
        // Whether a sleep since the last reading came before or after that input is not known: taking it as after
        // counts the sleep as idle time, so a lock is never missed.
        m_lastInput = {inputAwake, inputAwake + m_sleptBefore};
    }
    m_sleptBefore = now.elapsed - now.awake;
}

std::chrono::milliseconds IdleRule::idleTime() const
{
    return m_clock().elapsed - m_lastInput.elapsed;
}

bool IdleRule::isDue() const
{
    return m_timeout.count() > 0 && idleTime() >= m_timeout;
}

} // namespace tessary
