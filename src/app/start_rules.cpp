#include "app/start_rules.h"

#include <cmath>

namespace tessary {

bool startsWithTrayOnly(const QStringList& arguments)
{
    return arguments.join(QLatin1Char(' ')).toLower().contains(QLatin1String("/s"));
}

int garbleLength(int length, double r)
{
    return length + 255 + static_cast<int>(std::floor(length + r * 100.0));
}

} // namespace tessary
