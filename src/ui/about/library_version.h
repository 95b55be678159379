#pragma once

namespace tessary {

// The version of the library that computes the digests (GNU Nettle), as the About window shows it.
float getVersionNumber();

// A major and minor version as one number: the minor's digits after the point (3 and 8 give 3.8, 3 and 12 give
// 3.12). A float cannot show a trailing zero, so 3.10 reads as 3.1.
float versionNumber(int major, int minor);

} // namespace tessary
