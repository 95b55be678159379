#include "update/http_response.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace tessary {

namespace {

// Sixteen hex digits would overflow the chunk size; a script's chunks never need more than a few.
constexpr qsizetype longestChunkSize = 15;

bool isDigits(QByteArrayView text)
{
    return !text.isEmpty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isHexDigits(QByteArrayView text)
{
    return !text.isEmpty() && text.size() <= longestChunkSize && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

// A chunk's size: bare hex digits, then optional extensions after a semicolon, blanks allowed before it only.
// toLongLong alone would take "0x5d", "+5d" and " 5d", which a server and a proxy between may read differently.
std::optional<qint64> chunkSize(QByteArrayView line)
{
    QByteArrayView digits = line;
    if (const qsizetype semicolon = line.indexOf(';'); semicolon >= 0) {
        digits = line.first(semicolon);
        while (digits.endsWith(' ') || digits.endsWith('\t'))
            digits.chop(1);
    }
    if (!isHexDigits(digits))
        return std::nullopt;
    return digits.toLongLong(nullptr, 16);
}

// The body's length from every Content-Length field, -1 when there is none. Each field may be a list, and all must
// give the same digits (else nothing), or two readers of the response could split it in different places.
std::optional<qint64> bodyLength(const QByteArrayList& fields)
{
    QByteArray length;
    for (const QByteArray& field : fields) {
        for (const QByteArray& value : field.split(',')) {
            const QByteArray digits = value.trimmed();
            if (!isDigits(digits) || (!length.isEmpty() && digits != length))
                return std::nullopt;
            length = digits;
        }
    }
    return length.isEmpty() ? -1 : length.toLongLong();
}

} // namespace

HttpResponse::Progress HttpResponse::feed(QByteArrayView bytes)
{
    m_pending.remove(0, m_offset);
    m_searched = std::max<qsizetype>(0, m_searched - m_offset);
    m_offset = 0;
    m_pending.append(bytes);
    if (m_phase == Phase::Head && parseHead() != Progress::NeedMore)
        return progress();
    if (m_phase != Phase::Head)
        parseBody();
    return progress();
}

HttpResponse::Progress HttpResponse::finish()
{
    if (m_phase == Phase::Body && m_length < 0)
        m_phase = Phase::Done;
    if (m_phase != Phase::Done)
        m_phase = Phase::Broken;
    return progress();
}

HttpResponse::Progress HttpResponse::progress() const
{
    switch (m_phase) {
    case Phase::Done:
        return Progress::Complete;
    case Phase::Broken:
        return Progress::Malformed;
    default:
        return Progress::NeedMore;
    }
}

bool HttpResponse::takeLine(QByteArray& line)
{
    // A line that has not ended is not searched again from its start with each new piece.
    const qsizetype end = m_pending.indexOf('\n', std::max(m_offset, m_searched));
    if (end < 0) {
        m_searched = m_pending.size();
        return false;
    }
    line = m_pending.mid(m_offset, end - m_offset);
    if (line.endsWith('\r'))
        line.chop(1);
    m_offset = end + 1;
    return true;
}

HttpResponse::Progress HttpResponse::parseHead()
{
    // The head ends at an empty line; a bare LF ends a line as CR LF does.
    QByteArray line;
    while (takeLine(line)) {
        if (!line.isEmpty()) {
            m_head += line + '\n';
            continue;
        }
        const QList<QByteArray> status = m_head.left(m_head.indexOf('\n')).split(' ');
        bool ok = false;
        m_status = status.size() >= 2 && status[0].startsWith("HTTP/1.") ? status[1].toInt(&ok) : 0;
        if (!ok || m_status < 100 || m_status > 999) {
            m_phase = Phase::Broken;
            return progress();
        }
        if (m_status < 200) { // an interim answer: the real one follows
            m_head.clear();
            continue;
        }
        const std::optional<qint64> length = bodyLength(headers("Content-Length"));
        if (!length) {
            m_phase = Phase::Broken;
            return progress();
        }
        m_length = *length;
        if (header("Transfer-Encoding").toLower().contains("chunked")) {
            m_length = -1;
            m_phase = Phase::ChunkSize;
        } else if (m_status == 204 || m_status == 304) {
            m_phase = Phase::Done;
        } else {
            m_phase = Phase::Body;
        }
        return progress();
    }
    return progress();
}

HttpResponse::Progress HttpResponse::parseBody()
{
    QByteArray line;
    for (;;) {
        switch (m_phase) {
        case Phase::Body: {
            const qsizetype left = m_pending.size() - m_offset;
            const qsizetype take = m_length < 0 ? left : qsizetype(std::min<qint64>(left, m_length - m_body.size()));
            m_body.append(QByteArrayView(m_pending).sliced(m_offset, take));
            m_offset += take;
            if (m_length >= 0 && m_body.size() == m_length)
                m_phase = Phase::Done;
            return progress();
        }
        case Phase::ChunkSize: {
            if (!takeLine(line))
                return progress();
            const std::optional<qint64> size = chunkSize(line);
            m_chunkLeft = size.value_or(0);
            m_phase = !size ? Phase::Broken : m_chunkLeft == 0 ? Phase::Trailer : Phase::ChunkData;
            break;
        }
        case Phase::ChunkData: {
            const auto take = qsizetype(std::min<qint64>(m_pending.size() - m_offset, m_chunkLeft));
            m_body.append(QByteArrayView(m_pending).sliced(m_offset, take));
            m_offset += take;
            m_chunkLeft -= take;
            if (m_chunkLeft > 0)
                return progress();
            m_phase = Phase::ChunkEnd;
            break;
        }
        case Phase::ChunkEnd: {
            // CR LF and nothing else: refused at the first wrong byte, not after a line of any length.
            const QByteArrayView lineEnd("\r\n");
            const QByteArrayView rest = QByteArrayView(m_pending).sliced(m_offset);
            if (!lineEnd.startsWith(rest.first(std::min(rest.size(), lineEnd.size())))) {
                m_phase = Phase::Broken;
                break;
            }
            if (rest.size() < lineEnd.size())
                return progress();
            m_offset += lineEnd.size();
            m_phase = Phase::ChunkSize;
            break;
        }
        case Phase::Trailer:
            if (!takeLine(line))
                return progress();
            if (line.isEmpty())
                m_phase = Phase::Done;
            break;
        default:
            return progress();
        }
    }
}

QByteArray HttpResponse::header(QByteArrayView name) const
{
    const QByteArrayList values = headers(name);
    return values.isEmpty() ? QByteArray() : values.constFirst();
}

QByteArrayList HttpResponse::headers(QByteArrayView name) const
{
    QByteArrayList values;
    for (const QByteArray& line : m_head.split('\n').mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && QByteArrayView(line).first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            values.append(line.mid(colon + 1).trimmed());
    }
    return values;
}

} // namespace tessary
