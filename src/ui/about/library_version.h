#pragma once

#include <QString>

namespace tessary {

// The version of the library that computes the digests (GNU Nettle), as the About window shows it: its major and
// minor numbers as they are, so 3.10 reads "3.10" (as one number it would read 3.1).
QString libraryVersionText();
QString majorMinorText(int major, int minor);

} // namespace tessary
