#pragma once

#include "storage/file_io.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>

namespace tessary {

// A list of breached passwords as they are published for offline use: one "HEX40:COUNT" line per password, the
// upper-case hex SHA-1 of its UTF-8, sorted by hash, with CR LF or LF line ends. Such lists run to tens of
// gigabytes, so one is never read whole: a look-up bisects the file by offsets, reading a line at each step.
class BreachList
{
public:
    // False, with `reason` set, when the file cannot be read (missing, no regular file, unreadable). A list whose
    // lines at evenly spaced offsets are out of order opens, but failed() is then true.
    bool open(const QString& path, QString& reason);

    // How often the password of this hash (40 upper-case hex digits) was seen; 0 when it is not listed. Safe to
    // call from several threads at once: every read says where it reads. A read that fails, a line longer than any
    // of a breach list, or lines out of order make the look-up give 0 and failed() true: a bisection of an unsorted
    // list would call listed passwords unlisted.
    qint64 countOfHash(const QByteArray& hexDigest) const;

    // Whether a look-up could not be finished, and why, naming the list `name`: then the counts are not to be
    // trusted.
    bool failed() const { return m_failure.load() != 0; }
    QString failure(const QString& name) const;

private:
    struct Line
    {
        qint64 start = 0;
        qint64 next = 0;                     // where the line after it starts
        QByteArray text;                     // without its line end
        std::optional<QByteArray> following; // the next line's text when the read held it whole
    };
    // The first line that starts at or after `offset`, or nothing past the end or after a failure.
    std::optional<Line> lineFrom(qint64 offset) const;
    void checkSampleOrder() const;
    void fail(int error) const;

    RegularFile m_file;
    qint64 m_size = 0;
    mutable std::atomic<int> m_failure{0}; // an errno value, or one of the list's own faults
};

// The upper-case hex SHA-1 of `bytes`, as breach lists name passwords.
QByteArray sha1Hex(const QByteArray& bytes);

} // namespace tessary
