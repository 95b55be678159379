#include "ui/about/library_version.h"

#include <nettle/version.h>

namespace tessary {

QString majorMinorText(int major, int minor)
{
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

QString libraryVersionText()
{
    return majorMinorText(nettle_version_major(), nettle_version_minor());
}

} // namespace tessary
