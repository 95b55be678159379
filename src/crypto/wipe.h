#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>

namespace tessary {

// Overwrites a secret the program owns before letting go of it.
inline void wipe(QByteArray& secret)
{
    secret.fill('\0');
    secret.clear();
}

// For a secret's working copies in a function's own variables, which an ordinary overwrite at their end could
// be optimised away from.
inline void wipe(void* secret, std::size_t size)
{
    ::explicit_bzero(secret, size);
}

inline void wipe(QString& secret)
{
    secret.fill(QChar(u'\0'));
    secret.clear();
}

} // namespace tessary
