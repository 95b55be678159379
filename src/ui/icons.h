#pragma once

#include <QIcon>

namespace tessary {

QIcon programIcon();
// The list's key image, at 16 and 32 pixels.
QIcon keyIcon();
QIcon toolbarIcon(const char* name);

} // namespace tessary
