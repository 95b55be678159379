#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tessary {

// Size of the wizard's password buffer: every new key's stored password is exactly this long.
inline constexpr qsizetype passwordBufferSize = 128;

// The password as the wizard stores it: the typed bytes, one NUL, then spaces up to 128 bytes; a longer password
// is cut to 128 bytes (and has no NUL).
QByteArray passwordBuffer(QByteArrayView password);

// The wizard's URL completion: "http://" goes in front unless the URL is empty or its first four characters,
// lower-cased, are "http", "ftp:", "goph" or "teln".
QByteArray completeUrl(QByteArrayView url);

} // namespace tessary
