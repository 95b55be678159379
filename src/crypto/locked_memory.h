#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <memory>

namespace tessary {

// Bytes in memory of libsodium's: locked into RAM (never swapped), left out of core dumps, fenced by guard pages,
// and zeroed when freed. For the key a strong key ring is sealed with, and the clear text of the ring while it is
// sealed or opened.
class LockedBytes
{
public:
    explicit LockedBytes(std::size_t size);
    ~LockedBytes();
    LockedBytes(const LockedBytes&) = delete;
    LockedBytes& operator=(const LockedBytes&) = delete;

    // False when the memory could not be had (then data() is null).
    bool valid() const { return m_data != nullptr; }
    unsigned char* data() { return m_data; }
    const unsigned char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    QByteArrayView view() const { return {reinterpret_cast<const char*>(m_data), qsizetype(m_size)}; }

private:
    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

// Whether two secrets are equal, in a time that tells nothing of where they differ.
bool sameSecret(QByteArrayView a, QByteArrayView b);

// libsodium made ready once for the process; false when it cannot be (no source of randomness).
bool sodiumReady();

} // namespace tessary
