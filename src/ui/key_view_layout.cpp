#include "ui/key_view_layout.h"

#include <QtGlobal>

#include <algorithm>

namespace tessary {

QSize keyViewSize(QSize outer, int keyViewTop, int statusBarHeight, QSize frame)
{
    return {std::max(0, outer.width() - frame.width()),
            std::max(0, outer.height() - (keyViewTop + frame.height() + statusBarHeight))};
}

int pixelsToTwips(int pixels, int dotsPerInch)
{
    return qRound(double(pixels) * twipsPerInch / dotsPerInch);
}

int twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(double(twips) * dotsPerInch / twipsPerInch);
}

} // namespace tessary
