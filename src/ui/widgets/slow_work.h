#pragma once

#include <functional>

namespace tessary {

// Runs `work` on a thread of its own and returns once it is done (the session's hook for making a strong key
// ring's key). Meanwhile the windows repaint and timers run, the pointer shows the busy sign, the shown windows are
// disabled (so that a screen reader's press of a button does nothing either) and keys, clicks and close boxes are
// dropped, not kept for later: nothing may start another step on the session the work is part of. Each window gets
// its focus back afterwards.
// Signals from outside (SIGTERM) wait until it is done. Away from the GUI thread it runs where it is called.
void runSlowWork(const std::function<void()>& work);

// Whether work of runSlowWork is under way: what would take the session from under it (a lock) waits.
bool slowWorkRunning();

} // namespace tessary
