#include "analysis/breach_list.h"

#include <nettle/sha1.h>

#include <unistd.h>

namespace tessary {

namespace {

constexpr qsizetype hashLength = 40;
// A line of the list is a hash, a colon and a count: far shorter than one read.
constexpr qsizetype chunk = 256;

} // namespace

bool BreachList::open(const QString& path, QString& reason)
{
    switch (m_file.open(path, std::numeric_limits<qint64>::max(), reason)) {
    case FileReadStatus::Ok:
        m_size = m_file.size();
        return true;
    case FileReadStatus::Missing:
        reason = QStringLiteral("No such file or directory");
        return false;
    case FileReadStatus::Failed:
        return false;
    }
    return false;
}

bool BreachList::readAt(qint64 offset, QByteArray& buffer) const
{
    buffer.resize(chunk);
    qsizetype got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::pread(m_file.descriptor(), buffer.data() + got, static_cast<size_t>(buffer.size() - got),
                                  offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    buffer.truncate(got);
    return true;
}

std::optional<BreachList::Line> BreachList::lineFrom(qint64 offset) const
{
    // A line starts at 0 or right after a line feed: look from the byte before `offset`. One read usually holds
    // both that line feed and the whole line after it.
    qint64 at = offset == 0 ? 0 : offset - 1;
    bool found = offset == 0;
    QByteArray buffer;
    Line line;
    qsizetype from = 0;
    for (;;) {
        if (at >= m_size || !readAt(at, buffer) || buffer.isEmpty())
            return std::nullopt;
        from = 0;
        if (!found) {
            const qsizetype feed = buffer.indexOf('\n');
            if (feed < 0) {
                at += buffer.size();
                continue;
            }
            found = true;
            from = feed + 1;
            if (from == buffer.size()) {
                at += from;
                continue;
            }
        }
        break;
    }
    line.start = at + from;
    // The line itself, however many reads it takes; the last one may have no line end.
    for (;;) {
        const qsizetype end = buffer.indexOf('\n', from);
        if (end >= 0) {
            line.text += QByteArrayView(buffer).sliced(from, end - from);
            line.next = at + end + 1;
            break;
        }
        line.text += QByteArrayView(buffer).sliced(from);
        at += buffer.size();
        from = 0;
        if (at >= m_size || !readAt(at, buffer) || buffer.isEmpty()) {
            line.next = m_size;
            break;
        }
    }
    if (line.text.endsWith('\r'))
        line.text.chop(1);
    return line;
}

std::optional<qint64> BreachList::countOfHash(const QByteArray& hexDigest) const
{
    // Lines that start in [low, high) are the ones the hash can still be on.
    qint64 low = 0;
    qint64 high = m_size;
    while (low < high) {
        const qint64 middle = low + (high - low) / 2;
        const std::optional<Line> line = lineFrom(middle);
        if (!line || line->start >= high) {
            high = middle;
            continue;
        }
        const QByteArray hash = line->text.left(hashLength).toUpper();
        const int order = hash.compare(hexDigest);
        if (order == 0) {
            const qsizetype colon = line->text.indexOf(':');
            bool number = false;
            const qint64 seen = colon < 0 ? 1 : line->text.mid(colon + 1).trimmed().toLongLong(&number);
            return colon < 0 || !number ? 1 : seen;
        }
        if (order < 0)
            low = line->next;
        else
            high = line->start;
    }
    return std::nullopt;
}

std::optional<qint64> BreachList::count(const QByteArray& passwordUtf8) const
{
    return countOfHash(sha1Hex(passwordUtf8));
}

QByteArray sha1Hex(const QByteArray& bytes)
{
    sha1_ctx context;
    sha1_init(&context);
    sha1_update(&context, static_cast<size_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.constData()));
    std::uint8_t digest[SHA1_DIGEST_SIZE];
    sha1_digest(&context, sizeof digest, digest);
    QByteArray hex = QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex().toUpper();
    std::fill(std::begin(digest), std::end(digest), std::uint8_t{0});
    return hex;
}

} // namespace tessary
