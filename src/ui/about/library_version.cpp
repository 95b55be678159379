#include "ui/about/library_version.h"

#include <nettle/version.h>

namespace tessary {

QString versionText(int major, int minor)
{
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

QString libraryVersionText()
{
    return versionText(nettle_version_major(), nettle_version_minor());
}

} // namespace tessary
