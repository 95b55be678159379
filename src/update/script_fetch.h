#pragma once

#include "update/http_response.h"
#include "update/transfer_lamps.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QTcpSocket;

namespace tessary {

// Fetches the update script over HTTP (or HTTPS) and reports the transfer's states in order, none skipped. What
// the server sends is bounded: 1 MiB in all, its header fields included, and a minute in all, however steadily
// it trickles.
class ScriptFetch : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 maximumSize = 1024 * 1024;

    explicit ScriptFetch(QObject* parent = nullptr);
    ~ScriptFetch() override;

    // How long the server may stay silent before the transfer is given up.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // How long the whole transfer may take, redirections included.
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    void start(const QUrl& url);
    // Runs the event loop until the transfer is over; true when a response arrived.
    bool fetch(const QUrl& url);

    // Stops a running transfer without a word: no finished(), no error.
    void cancel();

    bool isRunning() const { return m_socket != nullptr; }
    // The response body, whatever the HTTP status (an error page is a script without the marker).
    const QByteArray& body() const { return m_body; }
    // Why no response arrived; empty when one did.
    const QString& error() const { return m_error; }
    // The response is the server's error page (HTTP status 400 or above).
    bool httpError() const { return m_status >= 400; }

signals:
    void stateChanged(int state);
    void finished();

private:
    void advanceTo(TransferState state);
    void connectTo(const QUrl& url);
    void sendRequest();
    void onReadyRead();
    void onDisconnected();
    void onResponse();
    void fail(const QString& message);
    void closeSocket();

    QTcpSocket* m_socket = nullptr;
    QUrl m_url;
    QByteArray m_request;
    qint64 m_requestWritten = 0;
    HttpResponse m_response;
    qint64 m_received = 0; // every byte of every response, heads included
    int m_redirects = 0;
    QTimer m_silence;
    QTimer m_whole;
    std::chrono::milliseconds m_timeout{30'000};
    std::chrono::milliseconds m_deadline{60'000};
    int m_reached = 0; // index into the order of states
    QByteArray m_body;
    QString m_error;
    int m_status = 0;
};

} // namespace tessary
