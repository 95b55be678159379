#pragma once

#include <QSize>

class QWidget;

namespace tessary {

inline constexpr int twipsPerInch = 1440;

// The window's frame around the bars: the left and right borders across, and the title bar, the menu bar and the
// bottom border down. The design's frame was 100 twips across and 700 down.
inline constexpr QSize designFrame{100, 700};

// The key list's size for the key browser's outer size: as wide as the window less its borders, and as high as the
// window less its frame, the list's top (the toolbar's height) and the status bar. Any one unit throughout; never
// negative, so a window dragged smaller than its bars gets an empty list.
QSize keyViewSize(QSize outer, int keyViewTop, int statusBarHeight, QSize frame = designFrame);

int pixelsToTwips(int pixels, int dotsPerInch);
int twipsToPixels(int twips, int dotsPerInch);

// The resolution a window's design lengths are converted at: the widget's own, or 96 dots per inch when it has none.
int dotsPerInch(const QWidget& widget);
// A design length, in twips, as pixels on `widget`.
int twipsOn(const QWidget& widget, int twips);
// Names `widget` and places it in its parent at the design's position and size, in twips.
void placeInTwips(QWidget* widget, const char* name, int x, int y, int width, int height);

} // namespace tessary
