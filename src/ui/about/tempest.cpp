#include "ui/about/tempest.h"

#include "storage/codepage.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <array>

namespace tessary {

QRect tempestCell(unsigned char code)
{
    int row = 0;
    int column = 0;
    if (code >= 32 && code < 128) {
        row = code / 16 - 2;
        column = code % 16;
    } else if (code >= 160) {
        // The upper half sits right below the lower one: the rows of 128 to 159 are not on the sheet.
        row = code / 16 - 4;
        column = code % 16;
    }
    return QRect(column * tempestCellWidth, row * tempestCellHeight, tempestCellWidth, tempestCellHeight);
}

const QImage& tempestFontTable(int index)
{
    static const std::array<QImage, tempestSheetCount> sheets = [] {
        std::array<QImage, tempestSheetCount> loaded;
        for (int i = 0; i < tempestSheetCount; ++i)
            loaded[static_cast<std::size_t>(i)] =
                QImage(QStringLiteral(":/tempest/tempest-%1.png").arg(i)).convertToFormat(QImage::Format_RGB32);
        return loaded;
    }();
    return sheets.at(static_cast<std::size_t>(std::clamp(index, 0, tempestSheetCount - 1)));
}

void drawTempestText(const QString& text, QPainter& target, qint16 x, qint16 y)
{
    drawTempestText(text, target, x, y, [] { return QRandomGenerator::global()->generateDouble(); });
}

void drawTempestText(const QString& text, QPainter& target, qint16 x, qint16 y,
                     const std::function<double()>& random)
{
    const QByteArray codes = toCodePage(text);
    target.save();
    // A straight copy of the cell, as a blit would make it.
    target.setCompositionMode(QPainter::CompositionMode_Source);
    int left = x;
    for (const char code : codes) {
        const int sheet = std::clamp(static_cast<int>(random() * tempestSheetCount), 0, tempestSheetCount - 1);
        target.drawImage(QPoint(left, y), tempestFontTable(sheet), tempestCell(static_cast<unsigned char>(code)));
        left += tempestCellWidth;
    }
    target.restore();
}

} // namespace tessary
