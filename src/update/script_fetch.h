#pragma once

#include "update/transfer_lamps.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace tessary {

// Fetches the update script over HTTP and reports the transfer's states in order, none skipped.
class ScriptFetch : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 maximumSize = 1024 * 1024;

    explicit ScriptFetch(QObject* parent = nullptr);
    ~ScriptFetch() override;

    // How long the server may stay silent before the transfer is given up.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    void start(const QUrl& url);
    // Runs the event loop until the transfer is over; true when a response arrived.
    bool fetch(const QUrl& url);

    // Stops a running transfer without a word: no finished(), no error.
    void cancel();

    bool isRunning() const { return m_reply != nullptr; }
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
    void onReadyRead();
    void onFinished();
    void fail(const QString& message);

    QNetworkAccessManager* m_network;
    QNetworkReply* m_reply = nullptr;
    std::chrono::milliseconds m_timeout{30'000};
    int m_reached = 0; // index into the order of states
    QByteArray m_body;
    QString m_error;
    int m_status = 0;
};

} // namespace tessary
