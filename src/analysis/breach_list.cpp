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
// The faults of the list itself, beside the errno values of a failed read.
constexpr int strangeLine = -1;
constexpr int outOfOrder = -2;

QByteArray hashOf(const QByteArray& line)
{
    return line.left(hashLength).toUpper();
}

} // namespace

bool BreachList::open(const QString& path, QString& reason)
{
    switch (m_file.open(path, std::numeric_limits<qint64>::max(), reason, Strangers::Allow)) {
    case FileReadStatus::Ok:
        m_size = m_file.size();
        checkSampleOrder();
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

QString BreachList::failure(const QString& name) const
{
    switch (const int error = m_failure.load()) {
    case 0:
        return {};
    case outOfOrder:
        return QStringLiteral("%1 is not sorted by hash; sort it with `sort -t: -k1,1`").arg(name);
    case strangeLine:
        return QStringLiteral("Cannot read the breach list %1: it holds a line no breach list has").arg(name);
    default:
        return QStringLiteral("Cannot read the breach list %1: %2").arg(name, systemReason(error));
    }
}

void BreachList::checkSampleOrder() const
{
    // A look-up meets only the lines on its way, so a list sorted in parts (two lists joined) can pass every one:
    // lines at evenly spaced offsets, each with the line after it, must sort as well.
    constexpr qint64 samples = 64;
    std::optional<QByteArray> previous;
    for (qint64 i = 0; i < samples && !failed(); ++i) {
        const std::optional<Line> line = lineFrom(m_size / samples * i);
        if (!line)
            continue;
        const QByteArray hash = hashOf(line->text);
        const QByteArray last = line->following ? hashOf(*line->following) : hash;
        if ((previous && hash < *previous) || last < hash) {
            fail(outOfOrder);
            return;
        }
        previous = last;
    }
}

std::optional<BreachList::Line> BreachList::lineFrom(qint64 offset) const
{
    // A line starts at 0 or right after a line feed: read from the byte before `offset`, enough for that line feed,
    // the whole line after it and the one after that, which the order is checked against.
    const qint64 at = offset == 0 ? 0 : offset - 1;
    if (at >= m_size)
        return std::nullopt;
    QByteArray window(3 * (longestLine + 1), Qt::Uninitialized);
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
                fail(strangeLine);
            return std::nullopt; // no line starts between here and the end
        }
        from = feed + 1;
    }
    const qsizetype end = window.indexOf('\n', from);
    if ((end < 0 && !toTheEnd) || (end < 0 ? window.size() : end) - from > longestLine) {
        fail(strangeLine);
        return std::nullopt;
    }
    const auto textOf = [&window](qsizetype first, qsizetype last) {
        QByteArray text = window.sliced(first, last - first);
        if (text.endsWith('\r'))
            text.chop(1);
        return text;
    };
    Line line;
    line.start = at + from;
    line.next = end < 0 ? m_size : at + end + 1;
    line.text = textOf(from, end < 0 ? window.size() : end);
    if (end >= 0 && end + 1 < window.size()) {
        const qsizetype followingEnd = window.indexOf('\n', end + 1);
        if (followingEnd >= 0 || toTheEnd)
            line.following = textOf(end + 1, followingEnd >= 0 ? followingEnd : window.size());
    }
    return line;
}

qint64 BreachList::countOfHash(const QByteArray& hexDigest) const
{
    // Lines that start in [low, high) are the ones the hash can still be on; `below` and `above` are the hashes of
    // the lines met just before low and at high. Every line met must sort between them and before the line after
    // it, or the halving may have passed the hash by.
    qint64 low = 0;
    qint64 high = m_size;
    std::optional<QByteArray> below;
    std::optional<QByteArray> above;
    while (low < high && !failed()) {
        const qint64 middle = low + (high - low) / 2;
        const std::optional<Line> line = lineFrom(middle);
        if (!line || line->start >= high) {
            high = middle;
            continue;
        }
        const QByteArray hash = hashOf(line->text);
        if ((below && hash < *below) || (above && *above < hash) ||
            (line->following && hashOf(*line->following) < hash)) {
            fail(outOfOrder);
            return 0;
        }
        const int order = hash.compare(hexDigest);
        if (order == 0) {
            // Listed is listed, whatever its count says.
            bool number = false;
            const qint64 seen = line->text.sliced(std::min(hashLength + 1, line->text.size())).toLongLong(&number);
            return number && seen > 0 ? seen : 1;
        }
        if (order < 0) {
            low = line->next;
            below = hash;
        } else {
            high = line->start;
            above = hash;
        }
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
