#include "ui/widgets/twips.h"

#include <QWidget>
#include <QtGlobal>

namespace tessary {

int pixelsToTwips(int pixels, int dotsPerInch)
{
    return qRound(double(pixels) * twipsPerInch / dotsPerInch);
}

int twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(double(twips) * dotsPerInch / twipsPerInch);
}

int dotsPerInch(const QWidget& widget)
{
    return widget.logicalDpiY() > 0 ? widget.logicalDpiY() : 96;
}

int twipsOn(const QWidget& widget, int twips)
{
    return twipsToPixels(twips, dotsPerInch(widget));
}

void placeInTwips(QWidget* widget, const char* name, int x, int y, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    const QWidget& on = widget->parentWidget() ? *widget->parentWidget() : *widget;
    widget->setGeometry(twipsOn(on, x), twipsOn(on, y), twipsOn(on, width), twipsOn(on, height));
}

} // namespace tessary
