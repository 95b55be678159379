// Draws the four font sheets of the About window's bitmap text into tempest-0.png ... tempest-3.png. Not part of
// the program: src/ui/resources/tempest holds its output, kept in the tree so every build shows the same glyphs.
// Built with -DTESSARY_TOOLS=ON:
//   build/tools/draw_tempest_sheets src/ui/resources/tempest
//
// Each sheet is 16 x 12 cells of 8 x 14 pixels: codes 32 to 127 in rows 0 to 5, 160 to 255 (Latin-1, the same
// characters as Windows-1252 there) in rows 6 to 11, dark grey on light grey, from DejaVu Sans Mono. The sheets
// differ in how the glyph's edge becomes grey levels and in a faint noise of their own over every pixel, so a
// text drawn with a random sheet per character never gives the same picture twice.
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr int cellWidth = 8;
constexpr int cellHeight = 14;
constexpr int background = 229;
constexpr int ink = 64;

using Coverage = std::array<double, cellWidth * cellHeight>; // 0 paper, 1 ink

// The glyph's anti-aliased coverage in its cell, baseline 11 pixels down.
Coverage render(const QFont& font, QChar c)
{
    QImage cell(cellWidth, cellHeight, QImage::Format_Grayscale8);
    cell.fill(255);
    QPainter p(&cell);
    p.setFont(font);
    p.setPen(Qt::black);
    p.setRenderHint(QPainter::TextAntialiasing);
    const int advance = QFontMetrics(font).horizontalAdvance(c);
    p.drawText(QPointF((cellWidth - advance) / 2.0, 11.0), QString(c));
    p.end();
    Coverage coverage{};
    for (int y = 0; y < cellHeight; ++y)
        for (int x = 0; x < cellWidth; ++x)
            coverage[y * cellWidth + x] = 1.0 - cell.pixelColor(x, y).redF();
    return coverage;
}

// The four grey-level renderings of one glyph.
double shade(const Coverage& c, int sheet, int x, int y)
{
    const double v = c[y * cellWidth + x];
    switch (sheet) {
    case 0: // as the rasteriser gave it
        return v;
    case 1: // hard edges: ink or paper
        return v >= 0.5 ? 1.0 : 0.0;
    case 2: { // low-pass: each pixel blended with its four neighbours
        double sum = 2.0 * v;
        int weight = 2;
        for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (nx >= 0 && nx < cellWidth && ny >= 0 && ny < cellHeight) {
                sum += c[ny * cellWidth + nx];
                ++weight;
            }
        }
        return std::min(1.0, 1.3 * sum / weight);
    }
    default: // a gamma that thins the strokes' edges
        return std::pow(v, 1.8);
    }
}

QImage sheet(const QFont& font, int index)
{
    QImage image(16 * cellWidth, 12 * cellHeight, QImage::Format_RGB888);
    QRandomGenerator noise(0x7e57 + static_cast<quint32>(index));
    for (int row = 0; row < 12; ++row) {
        for (int column = 0; column < 16; ++column) {
            const int code = (row < 6 ? 32 : 160 - 96) + row * 16 + column;
            const bool printable = code != 127 && code != 160;
            const Coverage glyph = printable ? render(font, QChar(code)) : Coverage{};
            for (int y = 0; y < cellHeight; ++y) {
                for (int x = 0; x < cellWidth; ++x) {
                    const double level = background - (background - ink) * shade(glyph, index, x, y);
                    const int grey = std::clamp(static_cast<int>(std::lround(level)) + noise.bounded(-3, 4), 0, 255);
                    image.setPixelColor(column * cellWidth + x, row * cellHeight + y, QColor(grey, grey, grey));
                }
            }
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    font.setHintingPreference(QFont::PreferFullHinting);
    if (QFontInfo(font).family() != QLatin1String("DejaVu Sans Mono")) {
        std::fprintf(stderr, "DejaVu Sans Mono is not installed (fonts-dejavu-core)\n");
        return 1;
    }
    for (int index = 0; index < 4; ++index) {
        const QString file = QStringLiteral("%1/tempest-%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(index);
        if (!sheet(font, index).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
