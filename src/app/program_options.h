#pragma once

#include <QString>

class QSettings;

namespace tessary {

// What the Options window sets, kept in the per-user settings store beside the wizard's breakdown choice
// (application "Tessary", section "Settings").
struct ProgramOptions
{
    static constexpr int maximumIdleMinutes = 1440;
    static constexpr int minimumClipboardSeconds = 10;
    static constexpr int maximumClipboardSeconds = 600;

    int lockAfterIdleMinutes = 5; // 0: never
    bool lockOnScreenLock = true; // also before the computer sleeps
    int clipboardSeconds = 60;
    bool hidePasswordBreakdown = true;

    bool operator==(const ProgramOptions&) const = default;
};

// The stored values, each read with its default when missing or no value of its kind, and held to its range (a
// number outside it counts as its nearest end).
ProgramOptions readProgramOptions(const QSettings& settings);
void writeProgramOptions(QSettings& settings, const ProgramOptions& options);

// The same in the program's own store.
ProgramOptions readProgramOptions();
void writeProgramOptions(const ProgramOptions& options);

} // namespace tessary
