#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tessary {

// Number of further MD2 applications after the digest of the password itself.
inline constexpr int passwordHashIterations = 1025;

// The 16-byte digest of a master password (code-page bytes). An empty password has no digest: the result is
// then empty, and no stored digest ever equals it.
QByteArray hashPassword(QByteArrayView password);

// True when the password's digest equals the stored 16-byte digest, byte for byte.
bool verifyPassword(QByteArrayView password, QByteArrayView storedDigest);

} // namespace tessary
