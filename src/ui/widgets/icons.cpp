#include "ui/widgets/icons.h"

#include <algorithm>
#include <complex>

namespace tessary {

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/tessary-%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon keyIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/key-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/key-32.png"), QSize(32, 32));
    return icon;
}

QIcon toolbarIcon(const char* name)
{
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
}

QImage sidePicture()
{
    // Drawn once: the wizard and New User show it every time they open.
    static const QImage picture = [] {
        constexpr int width = 120;
        constexpr int height = 240;
        QImage image(width, height, QImage::Format_RGB32);
        constexpr int limit = 48;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::complex<double> c(-0.78 + 0.24 * x / width, 0.02 + 0.48 * y / height);
                std::complex<double> z;
                int n = 0;
                while (n < limit && std::norm(z) < 4.0) {
                    z = z * z + c;
                    ++n;
                }
                const int shade = n == limit ? 0 : 255 * n / limit;
                image.setPixel(x, y, qRgb(shade / 4, shade / 2 + 20, std::min(255, shade + 60)));
            }
        }
        return image;
    }();
    return picture;
}

} // namespace tessary
