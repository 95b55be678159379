#pragma once

class QWidget;

namespace tessary {

// What a screen reader hears of a meter bar, which the program paints itself: a progress bar with its value, 0 to
// 100. Installed once, by the first bar.
void exposePaintedWidgets();

// The bar's value changed: a screen reader hears of it.
void announceValue(QWidget* bar);

} // namespace tessary
