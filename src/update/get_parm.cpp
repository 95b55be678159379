#include "update/get_parm.h"

namespace tessary {

QString GetParm(const QString& parseInput, const QString& parm)
{
    const qsizetype found = parseInput.indexOf(parm + QLatin1Char(':'), 0, Qt::CaseInsensitive);
    if (found < 0)
        return {};
    QString value;
    for (qsizetype i = found + parm.size() + 1; i < parseInput.size(); ++i) {
        const QChar c = parseInput.at(i);
        if (c == QLatin1Char('#') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        value.append(c);
    }
    return value;
}

} // namespace tessary
