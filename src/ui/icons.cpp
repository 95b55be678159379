#include "ui/icons.h"

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

} // namespace tessary
