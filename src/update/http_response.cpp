#include "update/http_response.h"

#include <QList>

#include <algorithm>

namespace tessary {

namespace {

// Sixteen hex digits would overflow the chunk size; a script's chunks never need more than a few.
constexpr qsizetype longestChunkSize = 15;

bool isDigits(QByteArrayView text)
{
    return !text.isEmpty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
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
        const QByteArray length = header("Content-Length");
        if (!length.isEmpty() && !isDigits(length)) {
            m_phase = Phase::Broken;
            return progress();
        }
        m_length = length.isEmpty() ? -1 : length.toLongLong();
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
            const QByteArray digits = line.split(';').constFirst().trimmed(); // the size, without extensions
            bool ok = false;
            m_chunkLeft = digits.size() <= longestChunkSize ? digits.toLongLong(&ok, 16) : 0;
            m_phase = !ok || m_chunkLeft < 0 ? Phase::Broken : m_chunkLeft == 0 ? Phase::Trailer : Phase::ChunkData;
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
        case Phase::ChunkEnd:
            if (!takeLine(line))
                return progress();
            m_phase = line.isEmpty() ? Phase::ChunkSize : Phase::Broken;
            break;
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
    for (const QByteArray& line : m_head.split('\n').mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && QByteArrayView(line).first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace tessary
