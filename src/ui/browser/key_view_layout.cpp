#include "ui/browser/key_view_layout.h"

#include <algorithm>

namespace tessary {

QSize keyViewSize(QSize outer, int keyViewTop, int statusBarHeight, QSize frame)
{
    return {std::max(0, outer.width() - frame.width()),
            std::max(0, outer.height() - (keyViewTop + frame.height() + statusBarHeight))};
}

} // namespace tessary
