#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

// An HTTP server on 127.0.0.1 for the update check's tests: it answers every request with one canned response
// and closes the connection, or keeps silent to let the client time out.
class LocalHttpServer
{
public:
    LocalHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    // The sockets go with the server, after the members their handlers use: they must not call in any more.
    ~LocalHttpServer()
    {
        for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
            socket->disconnect();
    }

    bool isListening() const { return m_server.isListening(); }
    QUrl url(const QString& path = QStringLiteral("/a.txt")) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    void respond(const QByteArray& body, int status = 200, bool withLength = true)
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Not Found") +
                          "\r\nContent-Type: text/plain\r\nConnection: close\r\n";
        if (withLength)
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        m_response = head + "\r\n" + body;
    }
    // Any bytes at all, head included, as a broken or hostile server may send them.
    void respondRaw(const QByteArray& response) { m_response = response; }
    qsizetype responseSize() const { return m_response.size(); }
    void keepSilent() { m_silent = true; }
    // Sends the response in `pieces` parts, one every `interval`: slow, but never silent for long.
    void trickle(int pieces, std::chrono::milliseconds interval)
    {
        m_pieces = pieces;
        m_interval = interval;
    }

    const QList<QByteArray>& requestLines() const { return m_requestLines; }
    // Connections the client closed before the server answered.
    int dropped() const { return m_dropped; }

private:
    void serve(QTcpSocket* socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            if (m_received.remove(socket))
                ++m_dropped;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            m_received[socket] += socket->readAll();
            const QByteArray& request = m_received[socket];
            if (!request.contains("\r\n\r\n") || m_silent)
                return;
            m_requestLines.append(request.left(request.indexOf("\r\n")));
            m_received.remove(socket);
            if (m_pieces <= 1) {
                socket->write(m_response);
                socket->disconnectFromHost();
                return;
            }
            auto* timer = new QTimer(socket);
            const qsizetype piece = (m_response.size() + m_pieces - 1) / m_pieces;
            QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer, piece, sent = qsizetype(0)]() mutable {
                socket->write(m_response.mid(sent, piece));
                sent += piece;
                if (sent >= m_response.size()) {
                    timer->stop();
                    socket->disconnectFromHost();
                }
            });
            timer->start(m_interval);
        });
    }

    QTcpServer m_server;
    QByteArray m_response;
    bool m_silent = false;
    int m_pieces = 1;
    std::chrono::milliseconds m_interval{0};
    QHash<QTcpSocket*, QByteArray> m_received;
    QList<QByteArray> m_requestLines;
    int m_dropped = 0;
};
