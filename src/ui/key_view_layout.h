#pragma once

#include <QSize>

namespace tessary {

inline constexpr int twipsPerInch = 1440;

// The key list's size for the key browser's outer size, all in twips: 100 narrower than the window, and as high
// as the window less the list's top, 700 for the title and menu bars and the status bar. Never negative: a window
// dragged smaller than its bars gets an empty list.
QSize keyViewSize(QSize outerTwips, int keyViewTop, int statusBarHeight);

int pixelsToTwips(int pixels, int dotsPerInch);
int twipsToPixels(int twips, int dotsPerInch);

} // namespace tessary
