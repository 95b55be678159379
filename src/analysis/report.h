#pragma once

#include <QList>
#include <QString>

namespace tessary {

// A printed report: lines of pieces, each piece with its own style, so a window can print them styled and the
// command-line tool as plain text.
struct ReportPiece
{
    enum Style : unsigned {
        Plain = 0,
        Bold = 1,
        Italic = 2,
        Underline = 4,
        Red = 8,
    };

    QString text;
    unsigned style = Plain;

    friend bool operator==(const ReportPiece&, const ReportPiece&) = default;
};

using ReportLine = QList<ReportPiece>;
using Report = QList<ReportLine>;

QString plainText(const ReportLine& line);
// One string per line.
QStringList plainText(const Report& report);

} // namespace tessary
