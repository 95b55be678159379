#include "analysis/number_text.h"

#include <cmath>

namespace tessary {

QString singleText(float value)
{
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (std::isnan(value))
        return QStringLiteral("NaN");
    QString text = QString::number(static_cast<double>(value), 'g', 7);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

} // namespace tessary
