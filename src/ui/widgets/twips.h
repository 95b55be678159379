#pragma once

class QWidget;

namespace tessary {

// The windows' design lengths are twips, 1/1440 of an inch.
inline constexpr int twipsPerInch = 1440;

int pixelsToTwips(int pixels, int dotsPerInch);
int twipsToPixels(int twips, int dotsPerInch);

// The resolution a window's design lengths are converted at: the widget's own, or 96 dots per inch when it has none.
int dotsPerInch(const QWidget& widget);
// A design length, in twips, as pixels on `widget`.
int twipsOn(const QWidget& widget, int twips);
// Names `widget` and places it in its parent at the design's position and size, in twips.
void placeInTwips(QWidget* widget, const char* name, int x, int y, int width, int height);

} // namespace tessary
