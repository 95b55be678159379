#include "crypto/locked_memory.h"

#include <sodium.h>

namespace tessary {

bool sodiumReady()
{
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

bool sameSecret(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && (a.isEmpty() || ::sodium_memcmp(a.data(), b.data(), std::size_t(a.size())) == 0);
}

LockedBytes::LockedBytes(std::size_t size)
{
    if (!sodiumReady())
        return;
    // One byte at least: sodium_malloc(0) gives a block no view may point into.
    m_data = static_cast<unsigned char*>(::sodium_malloc(size == 0 ? 1 : size));
    m_size = m_data ? size : 0;
}

LockedBytes::~LockedBytes()
{
    ::sodium_free(m_data); // zeroes it first
}

} // namespace tessary
