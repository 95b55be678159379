#pragma once

#include <QSize>

namespace tessary {

// The window's frame around the bars: the left and right borders across, and the title bar, the menu bar and the
// bottom border down. The design's frame was 100 twips across and 700 down.
inline constexpr QSize designFrame{100, 700};

// The key list's size for the key browser's outer size: as wide as the window less its borders, and as high as the
// window less its frame, the list's top (the toolbar's height) and the status bar. Any one unit throughout; never
// negative, so a window dragged smaller than its bars gets an empty list.
QSize keyViewSize(QSize outer, int keyViewTop, int statusBarHeight, QSize frame = designFrame);

} // namespace tessary
