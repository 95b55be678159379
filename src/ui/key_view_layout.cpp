#include "ui/key_view_layout.h"

#include <QtGlobal>

#include <algorithm>

namespace tessary {

QSize keyViewSize(QSize outerTwips, int keyViewTop, int statusBarHeight)
{
    return {std::max(0, outerTwips.width() - 100),
            std::max(0, outerTwips.height() - (keyViewTop + 700 + statusBarHeight))};
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
