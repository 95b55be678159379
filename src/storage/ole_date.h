#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace tessary {

// OLE Automation dates: days since 30 December 1899, the time of day as the fraction of a day.
double toOleDate(QDate date);
double toOleTime(QTime time);

// Invalid when the stored number is not a date (or time) Qt can hold, as a damaged file may have it.
QDate fromOleDate(double days);
QTime fromOleTime(double fraction);

} // namespace tessary
