#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

namespace tessary {

// An HTTP/1.x response read as its bytes arrive: the status line, the header fields, then the body by its
// Content-Length, in chunks, or up to the end of the connection. It keeps what it was given and nothing more: the
// caller bounds how much that is.
class HttpResponse
{
public:
    enum class Progress
    {
        NeedMore,  // the response goes on
        Complete,  // the whole response is here (bytes after it are ignored)
        Malformed, // no HTTP response, or one broken off
    };

    Progress feed(QByteArrayView bytes);
    // The connection ended: only a body that runs to the end of the connection is complete now.
    Progress finish();

    bool hasHead() const { return m_phase > Phase::Head; }
    int status() const { return m_status; }
    // The first field of that name (any letter case), without the blanks around its value; empty when none.
    QByteArray header(QByteArrayView name) const;
    // Every field of that name, in order.
    QByteArrayList headers(QByteArrayView name) const;
    // The announced length of the body, -1 when there is none.
    qint64 contentLength() const { return m_length; }
    const QByteArray& body() const { return m_body; }

private:
    enum class Phase
    {
        Head,
        Body,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailer,
        Done,
        Broken
    };
    Progress parseHead();
    Progress parseBody();
    // The next line of m_pending, without its line end, or false when it has not ended yet.
    bool takeLine(QByteArray& line);
    Progress progress() const;

    Phase m_phase = Phase::Head;
    QByteArray m_pending; // bytes from m_offset on are not parsed yet
    qsizetype m_offset = 0;
    qsizetype m_searched = 0; // no line end before this
    QByteArray m_head;
    int m_status = 0;
    qint64 m_length = -1;
    qint64 m_chunkLeft = 0;
    QByteArray m_body;
};

} // namespace tessary
