#include "analysis/breach_list.h"

#include "crypto/wipe.h"

#include <nettle/base16.h>
#include <nettle/sha1.h>

#include <cerrno>

namespace tessary {

namespace {

constexpr qsizetype hashLength = 40;
// A line is a hash, a colon and a count: a line this long (or a file without line ends) is no breach list.
constexpr qsizetype longestLine = 128;

} // namespace

bool BreachList::open(const QString& path, QString& reason)
{
    switch (m_file.open(path, std::numeric_limits<qint64>::max(), reason)) {
    case FileReadStatus::Ok:
        m_size = m_file.size();
        return true;
    case FileReadStatus::Missing:
        reason = systemReason(ENOENT);
        return false;
    case FileReadStatus::Failed:
        return false;
    }
    return false;
}

void BreachList::fail(int error) const
{
    int none = 0;
    m_failure.compare_exchange_strong(none, error);
}

QString BreachList::failure() const
{
    const int error = m_failure.load();
    if (error == 0)
        return {};
    return error > 0 ? systemReason(error) : QStringLiteral("it holds a line no breach list has");
}

std::optional<BreachList::Line> BreachList::lineFrom(qint64 offset) const
{
    // A line starts at 0 or right after a line feed: read from the byte before `offset`, enough for that line feed
    // and the whole line after it.
    const qint64 at = offset == 0 ? 0 : offset - 1;
    if (at >= m_size)
        return std::nullopt;
    QByteArray window(2 * longestLine + 2, Qt::Uninitialized);
    QString reason;
    const qsizetype got = m_file.readAt(at, window.data(), window.size(), reason);
    if (got < 0) {
        fail(errno != 0 ? errno : EIO);
        return std::nullopt;
    }
    window.truncate(got);
    const bool toTheEnd = at + got >= m_size;

    qsizetype from = 0;
    if (offset != 0) {
        const qsizetype feed = window.indexOf('\n');
        if (feed < 0 || feed + 1 >= window.size()) {
            if (!toTheEnd)
                fail(-1);
            return std::nullopt; // no line starts between here and the end
        }
        from = feed + 1;
    }
    const qsizetype end = window.indexOf('\n', from);
    if ((end < 0 && !toTheEnd) || (end < 0 ? window.size() : end) - from > longestLine) {
        fail(-1);
        return std::nullopt;
    }
    Line line;
    line.start = at + from;
    line.next = end < 0 ? m_size : at + end + 1;
    line.text = window.sliced(from, (end < 0 ? window.size() : end) - from);
    if (line.text.endsWith('\r'))
        line.text.chop(1);
    return line;
}

qint64 BreachList::countOfHash(const QByteArray& hexDigest) const
{
    // Lines that start in [low, high) are the ones the hash can still be on.
    qint64 low = 0;
    qint64 high = m_size;
    while (low < high && !failed()) {
        const qint64 middle = low + (high - low) / 2;
        const std::optional<Line> line = lineFrom(middle);
        if (!line || line->start >= high) {
            high = middle;
            continue;
        }
        const int order = line->text.left(hashLength).toUpper().compare(hexDigest);
        if (order == 0) {
            // Listed is listed, whatever its count says.
            bool number = false;
            const qint64 seen = line->text.sliced(std::min(hashLength + 1, line->text.size())).toLongLong(&number);
            return number && seen > 0 ? seen : 1;
        }
        if (order < 0)
            low = line->next;
        else
            high = line->start;
    }
    return 0;
}

QByteArray sha1Hex(const QByteArray& bytes)
{
    sha1_ctx context;
    sha1_init(&context);
    sha1_update(&context, static_cast<size_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.constData()));
    std::uint8_t digest[SHA1_DIGEST_SIZE];
    sha1_digest(&context, sizeof digest, digest);
    QByteArray hex(BASE16_ENCODE_LENGTH(SHA1_DIGEST_SIZE), Qt::Uninitialized);
    base16_encode_update(hex.data(), sizeof digest, digest);
    wipe(&context, sizeof context);
    wipe(digest, sizeof digest);
    return std::move(hex).toUpper();
}

} // namespace tessary
