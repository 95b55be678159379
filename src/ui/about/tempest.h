#pragma once

#include <QRect>
#include <QString>

#include <functional>

class QImage;
class QPainter;

namespace tessary {

inline constexpr int tempestCellWidth = 8;
inline constexpr int tempestCellHeight = 14;
inline constexpr int tempestSheetCount = 4;

// Where a character code's glyph lies on every sheet: codes 32 to 127 in rows 0 to 5, 160 to 255 in rows 6 to 11.
// Codes without a cell (below 32, 128 to 159) get the blank's, the top left one.
QRect tempestCell(unsigned char code);

// The four sheets (`tempestFontTable(0)` to `tempestFontTable(3)`), loaded once.
const QImage& tempestFontTable(int index);

// Draws `text` from the sheets, one randomly chosen sheet per character, 8 pixels apart on one line, with the
// first character's top left corner at x, y. Characters outside the key ring's code page draw as its "?".
void drawTempestText(const QString& text, QPainter& target, qint16 x, qint16 y);
// The same with the sheet choice given: `random` returns a value in [0, 1) per character.
void drawTempestText(const QString& text, QPainter& target, qint16 x, qint16 y,
                     const std::function<double()>& random);

} // namespace tessary
