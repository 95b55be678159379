// The fetch speaks HTTP/1.1 over a socket of its own rather than through QNetworkAccessManager, whose reply
// gathers header fields without a bound and does not count them as progress: a server could fill the memory with
// them, or keep a check alive for days with one byte a second.
#include "update/script_fetch.h"

#include <QEventLoop>
#include <QSslSocket>

#include <array>
#include <utility>

namespace tessary {

namespace {

QString tooLargeMessage()
{
    return QStringLiteral("The update server sent more than 1 MiB; the transfer was stopped.");
}

QString seconds(std::chrono::milliseconds time)
{
    return QString::number(static_cast<double>(time.count()) / 1000.0);
}

constexpr std::array<TransferState, 7> stateOrder{
    TransferState::Resolving, TransferState::Resolved,      TransferState::Sending,     TransferState::Sent,
    TransferState::Receiving, TransferState::Disconnecting, TransferState::Disconnected,
};

constexpr int maximumRedirects = 5;

bool isHttp(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

ScriptFetch::ScriptFetch(QObject* parent) : QObject(parent)
{
    m_silence.setSingleShot(true);
    m_whole.setSingleShot(true);
    m_whole.setTimerType(Qt::PreciseTimer);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("The update server sent nothing for %1 seconds; the transfer was stopped.")
                 .arg(seconds(m_timeout)));
    });
    connect(&m_whole, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("The update server took longer than %1 seconds; the transfer was stopped.")
                 .arg(seconds(m_deadline)));
    });
}

ScriptFetch::~ScriptFetch()
{
    cancel();
}

void ScriptFetch::cancel()
{
    closeSocket();
    m_body.clear();
}

void ScriptFetch::closeSocket()
{
    m_silence.stop();
    m_whole.stop();
    if (!m_socket)
        return;
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void ScriptFetch::advanceTo(TransferState state)
{
    while (m_reached < static_cast<int>(stateOrder.size())) {
        const TransferState next = stateOrder[static_cast<std::size_t>(m_reached)];
        if (static_cast<int>(next) > static_cast<int>(state))
            break;
        ++m_reached;
        emit stateChanged(static_cast<int>(next));
    }
}

void ScriptFetch::start(const QUrl& url)
{
    cancel();
    m_error.clear();
    m_status = 0;
    m_reached = 0;
    m_received = 0;
    m_redirects = 0;
    if (!isHttp(url)) {
        m_error = QStringLiteral("\"%1\" is not an HTTP address.").arg(url.toString());
        emit finished();
        return;
    }
    m_whole.start(m_deadline);
    advanceTo(TransferState::Resolving);
    connectTo(url);
}

void ScriptFetch::connectTo(const QUrl& url)
{
    m_url = url;
    m_response = HttpResponse();
    const bool secure = isHttps(url);
    if (secure && !QSslSocket::supportsSsl()) {
        closeSocket();
        m_error = QStringLiteral("The update check failed: this system offers no TLS for an HTTPS address.");
        emit finished();
        return;
    }
    auto* socket = secure ? new QSslSocket(this) : new QTcpSocket(this);
    m_socket = socket;
    connect(socket, &QTcpSocket::hostFound, this, [this] { advanceTo(TransferState::Resolved); });
    connect(socket, &QTcpSocket::readyRead, this, &ScriptFetch::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &ScriptFetch::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The end of the connection is the end of a response that runs to it: disconnected() judges it.
        if (error != QAbstractSocket::RemoteHostClosedError && m_socket)
            fail(QStringLiteral("The update check failed: %1").arg(m_socket->errorString()));
    });
    const auto port = static_cast<quint16>(url.port(secure ? 443 : 80));
    m_silence.start(m_timeout);
    const auto countWritten = [this](qint64 written) {
        if ((m_requestWritten += written) >= m_request.size())
            advanceTo(TransferState::Sent);
    };
    if (auto* ssl = qobject_cast<QSslSocket*>(socket)) {
        connect(ssl, &QSslSocket::encrypted, this, &ScriptFetch::sendRequest);
        connect(ssl, &QSslSocket::encryptedBytesWritten, this, countWritten);
        ssl->connectToHostEncrypted(url.host(), port);
    } else {
        connect(socket, &QTcpSocket::connected, this, &ScriptFetch::sendRequest);
        connect(socket, &QTcpSocket::bytesWritten, this, countWritten);
        socket->connectToHost(url.host(), port);
    }
}

void ScriptFetch::sendRequest()
{
    advanceTo(TransferState::Sending);
    const int defaultPort = isHttps(m_url) ? 443 : 80;
    QByteArray host = m_url.host(QUrl::FullyEncoded).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (m_url.port(defaultPort) != defaultPort)
        host += ':' + QByteArray::number(m_url.port());
    const QByteArray target = m_url.path(QUrl::FullyEncoded).toUtf8();
    m_request = "GET " + (target.isEmpty() ? QByteArray("/") : target) +
                (m_url.hasQuery() ? '?' + m_url.query(QUrl::FullyEncoded).toUtf8() : QByteArray()) +
                " HTTP/1.1\r\nHost: " + host +
                "\r\nUser-Agent: Tessary\r\nAccept-Encoding: identity\r\nConnection: close\r\n\r\n";
    m_requestWritten = 0;
    m_socket->write(m_request);
}

void ScriptFetch::onReadyRead()
{
    if (!m_socket)
        return;
    advanceTo(TransferState::Receiving);
    m_silence.start(m_timeout);
    // One byte past the limit is enough to know that the limit is passed.
    const QByteArray bytes = m_socket->read(maximumSize - m_received + 1);
    m_received += bytes.size();
    if (m_received > maximumSize) {
        fail(tooLargeMessage());
        return;
    }
    const HttpResponse::Progress progress = m_response.feed(bytes);
    if (m_response.hasHead() && m_response.contentLength() > maximumSize) {
        fail(tooLargeMessage());
    } else if (progress == HttpResponse::Progress::Malformed) {
        fail(QStringLiteral("The update check failed: the server's answer is no HTTP response."));
    } else if (progress == HttpResponse::Progress::Complete) {
        onResponse();
    } else if (m_socket->bytesAvailable() > 0) {
        onReadyRead();
    }
}

void ScriptFetch::onDisconnected()
{
    QTcpSocket* socket = m_socket;
    if (socket && socket->bytesAvailable() > 0)
        onReadyRead();
    // What was left may have finished the transfer, failed it or redirected it to a socket of its own.
    if (!m_socket || m_socket != socket)
        return;
    if (m_response.finish() == HttpResponse::Progress::Complete)
        onResponse();
    else
        fail(QStringLiteral("The update check failed: the server closed the connection before its answer was "
                            "complete."));
}

void ScriptFetch::onResponse()
{
    const int status = m_response.status();
    const QByteArray location = m_response.header("Location");
    if (isRedirect(status) && !location.isEmpty()) {
        const QUrl next = m_url.resolved(QUrl::fromEncoded(location));
        // As a browser would not: from HTTPS to plain HTTP.
        const bool downgrade = isHttps(m_url) && !isHttps(next);
        if (++m_redirects > maximumRedirects || !isHttp(next) || downgrade) {
            fail(QStringLiteral("The update check failed: the server redirected it to \"%1\".").arg(next.toString()));
            return;
        }
        QTcpSocket* old = std::exchange(m_socket, nullptr);
        old->disconnect(this);
        old->abort();
        old->deleteLater();
        connectTo(next);
        return;
    }
    m_status = status;
    m_body = m_response.body();
    advanceTo(TransferState::Disconnecting);
    closeSocket();
    advanceTo(TransferState::Disconnected);
    emit finished();
}

bool ScriptFetch::fetch(const QUrl& url)
{
    QEventLoop loop;
    connect(this, &ScriptFetch::finished, &loop, &QEventLoop::quit);
    start(url);
    if (isRunning())
        loop.exec();
    return m_error.isEmpty();
}

void ScriptFetch::fail(const QString& message)
{
    if (!m_socket)
        return;
    cancel();
    m_error = message;
    emit finished();
}

} // namespace tessary
