#include "storage/ole_date.h"

#include <cmath>

namespace tessary {

namespace {

const QDate oleEpoch(1899, 12, 30);
constexpr double msecsPerDay = 86400000.0;
// Well inside what QDate can hold either way, and far beyond any date a key could carry.
constexpr double maximumDays = 1.0e8;

} // namespace

double toOleDate(QDate date)
{
    return static_cast<double>(oleEpoch.daysTo(date));
}

double toOleTime(QTime time)
{
    return time.msecsSinceStartOfDay() / msecsPerDay;
}

QDate fromOleDate(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > maximumDays)
        return {};
    return oleEpoch.addDays(static_cast<qint64>(std::trunc(days)));
}

QTime fromOleTime(double fraction)
{
    if (!std::isfinite(fraction) || std::fabs(fraction) > maximumDays)
        return {};
    // Only the part after the whole days is a time; negative dates keep a positive fraction.
    const double part = std::fabs(fraction - std::trunc(fraction));
    const auto msecs = static_cast<int>(std::llround(part * msecsPerDay));
    return QTime::fromMSecsSinceStartOfDay(msecs % static_cast<int>(msecsPerDay));
}

} // namespace tessary
