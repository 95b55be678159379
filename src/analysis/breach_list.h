#pragma once

#include "storage/file_io.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tessary {

// A list of breached passwords as they are published for offline use: one "HEX40:COUNT" line per password, the
// upper-case hex SHA-1 of its UTF-8, sorted by hash, with CR LF or LF line ends. Such lists run to tens of
// gigabytes, so one is never read whole: a look-up bisects the file by offsets, reading a line at each step.
class BreachList
{
public:
    // False, with `reason` set, when the file cannot be read (missing, no regular file, unreadable).
    bool open(const QString& path, QString& reason);

    // How often the password (UTF-8) was seen, or nothing when it is not listed or the file fails meanwhile. Safe to
    // call from several threads at once: every read says where it reads.
    std::optional<qint64> count(const QByteArray& passwordUtf8) const;
    // The same for a hash already made: 40 upper-case hex digits.
    std::optional<qint64> countOfHash(const QByteArray& hexDigest) const;

private:
    struct Line
    {
        qint64 start = 0;
        qint64 next = 0; // where the line after it starts
        QByteArray text; // without its line end
    };
    // The first line that starts at or after `offset`, or nothing past the end.
    std::optional<Line> lineFrom(qint64 offset) const;
    bool readAt(qint64 offset, QByteArray& buffer) const;

    RegularFile m_file;
    qint64 m_size = 0;
};

// The upper-case hex SHA-1 of `bytes`, as breach lists name passwords.
QByteArray sha1Hex(const QByteArray& bytes);

} // namespace tessary
