#pragma once

// Reading and writing whole files in tests: to see what a command left, and to plant what it must meet.

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes; a file that cannot be read gives a marker no real contents equal, not an empty text.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
