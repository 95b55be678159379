#include "crypto/password_hash.h"

#include "crypto/md2.h"

#include <array>
#include <cstdint>

namespace tessary {

QByteArray hashPassword(QByteArrayView password)
{
    if (password.isEmpty())
        return {};
    std::array<std::uint8_t, digestSize> digest{};
    messageDigest2(reinterpret_cast<const std::uint8_t*>(password.data()), static_cast<std::size_t>(password.size()),
                   digest.data());
    // Each round hands the digest a buffer that also carries a password character and a salt text, but with a
    // length of 16, so only the previous digest is ever digested. Stored files depend on exactly that.
    std::uint8_t* const block = digest.data();
    redigest({&block, 1}, passwordHashIterations);
    return QByteArray(reinterpret_cast<const char*>(digest.data()), digestSize);
}

bool verifyPassword(QByteArrayView password, QByteArrayView storedDigest)
{
    const QByteArray digest = hashPassword(password);
    return !digest.isEmpty() && QByteArrayView(digest) == storedDigest;
}

} // namespace tessary
