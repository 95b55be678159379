#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>
#include <type_traits>

namespace tessary {

// For a secret's working copies in a function's own variables, which an ordinary overwrite at their end could
// be optimised away from.
inline void wipe(void* secret, std::size_t size)
{
    ::explicit_bzero(secret, size);
}

namespace detail {

// Zeroes the whole block a Qt container's text lives in, where it lives: a write through the container would
// first give it a copy of its own, and zero only that, when other containers share the block. Every container
// sharing the block holds the same secret, so each of them reads zeros afterwards. A block the container does
// not own (fromRawData, a literal) is left alone: it may be read-only, and it is someone else's to wipe.
template <class Container>
void wipeInPlace(Container& secret)
{
    auto& data = secret.data_ptr();
    if (!data.isMutable())
        return;
    using Char = std::remove_const_t<std::remove_pointer_t<decltype(secret.constData())>>;
    auto* start = const_cast<Char*>(secret.constData()) - data.freeSpaceAtBegin();
    wipe(start, static_cast<std::size_t>(data.constAllocatedCapacity()) * sizeof(Char));
}

} // namespace detail

// Overwrites a secret the program owns before letting go of it.
inline void wipe(QByteArray& secret)
{
    detail::wipeInPlace(secret);
    secret.clear();
}

inline void wipe(QString& secret)
{
    detail::wipeInPlace(secret);
    secret.clear();
}

// Lets go of a secret, zeroing it first when nothing else holds it: for containers that end (a table cleared) while
// a copy someone took of a text may still be in use; the last holder's wipe, or the freeing of the block, zeroes it.
inline void release(QByteArray& secret)
{
    if (!secret.data_ptr().isShared())
        detail::wipeInPlace(secret);
    secret.clear();
}

inline void release(QString& secret)
{
    if (!secret.data_ptr().isShared())
        detail::wipeInPlace(secret);
    secret.clear();
}

// A copy with a block of its own, for a secret that must outlive the wipe of the text it came from: a plain copy
// shares the block, and wiping either wipes both.
inline QByteArray ownCopy(const QByteArray& secret)
{
    QByteArray copy = secret;
    copy.detach();
    return copy;
}

} // namespace tessary
