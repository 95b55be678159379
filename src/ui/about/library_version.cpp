#include "ui/about/library_version.h"

#include <nettle/version.h>

#include <algorithm>

namespace tessary {

float versionNumber(int major, int minor)
{
    float scale = 10.0f;
    for (int rest = minor / 10; rest > 0; rest /= 10)
        scale *= 10.0f;
    return static_cast<float>(major) + static_cast<float>(std::max(minor, 0)) / scale;
}

float getVersionNumber()
{
    return versionNumber(nettle_version_major(), nettle_version_minor());
}

} // namespace tessary
