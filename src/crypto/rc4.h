#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tessary {

// Longest key the schedule uses; bytes after it would never be read.
inline constexpr qsizetype rc4MaximumKeyLength = 256;

// Replaces `text` by its RC4 transform under `key`, with `passes` runs of the key schedule (1 is plain RC4).
// An empty key leaves `text` empty.
void rc4Crypt(QByteArray& text, QByteArrayView key, int passes = 1);

} // namespace tessary
