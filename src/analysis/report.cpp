#include "analysis/report.h"

#include <QStringList>

namespace tessary {

QString plainText(const ReportLine& line)
{
    QString text;
    for (const ReportPiece& piece : line)
        text += piece.text;
    return text;
}

QStringList plainText(const Report& report)
{
    QStringList lines;
    lines.reserve(report.size());
    for (const ReportLine& line : report)
        lines.append(plainText(line));
    return lines;
}

} // namespace tessary
