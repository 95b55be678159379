#pragma once

#include <QByteArray>
#include <QString>

namespace tessary {

// Overwrites a secret the program owns before letting go of it.
inline void wipe(QByteArray& secret)
{
    secret.fill('\0');
    secret.clear();
}

inline void wipe(QString& secret)
{
    secret.fill(QChar(u'\0'));
    secret.clear();
}

} // namespace tessary
