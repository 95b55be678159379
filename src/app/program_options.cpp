#include "app/program_options.h"

#include "app/new_key_walk.h"

#include <QSettings>

#include <algorithm>

namespace tessary {

namespace {

const QString idleSetting = QStringLiteral("Settings/LockAfterIdleMinutes");
const QString screenLockSetting = QStringLiteral("Settings/LockOnScreenLock");
const QString clipboardSetting = QStringLiteral("Settings/ClipboardSeconds");
const QString breakdownSetting = QStringLiteral("Settings/HidePasswordBreakdown");

int readNumber(const QSettings& settings, const QString& name, int fallback, int lowest, int highest)
{
    bool isNumber = false;
    const qlonglong value = settings.value(name).toString().trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return fallback;
    return int(std::clamp<qlonglong>(value, lowest, highest));
}

bool readSwitch(const QSettings& settings, const QString& name, bool fallback)
{
    const QString value = settings.value(name).toString().trimmed().toLower();
    if (value == QLatin1String("true") || value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("0"))
        return false;
    return fallback;
}

} // namespace

ProgramOptions readProgramOptions(const QSettings& settings)
{
    const ProgramOptions defaults;
    ProgramOptions options;
    options.lockAfterIdleMinutes =
        readNumber(settings, idleSetting, defaults.lockAfterIdleMinutes, 0, ProgramOptions::maximumIdleMinutes);
    options.lockOnScreenLock = readSwitch(settings, screenLockSetting, defaults.lockOnScreenLock);
    options.clipboardSeconds =
        readNumber(settings, clipboardSetting, defaults.clipboardSeconds, ProgramOptions::minimumClipboardSeconds,
                   ProgramOptions::maximumClipboardSeconds);
    // The wizard's own reading of it, so both agree on every stored text.
    options.hidePasswordBreakdown = breakdownHidden(settings.value(breakdownSetting, QStringLiteral("1")).toString());
    return options;
}

void writeProgramOptions(QSettings& settings, const ProgramOptions& options)
{
    settings.setValue(idleSetting, options.lockAfterIdleMinutes);
    settings.setValue(screenLockSetting, options.lockOnScreenLock);
    settings.setValue(clipboardSetting, options.clipboardSeconds);
    settings.setValue(breakdownSetting, options.hidePasswordBreakdown ? QStringLiteral("1") : QStringLiteral("0"));
}

ProgramOptions readProgramOptions()
{
    return readProgramOptions(QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")));
}

void writeProgramOptions(const ProgramOptions& options)
{
    QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    writeProgramOptions(settings, options);
}

} // namespace tessary
