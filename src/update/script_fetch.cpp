#include "update/script_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <array>
#include <utility>

namespace tessary {

namespace {

QString tooLargeMessage()
{
    return QStringLiteral("The update script is larger than 1 MiB; the transfer was stopped.");
}

constexpr std::array<TransferState, 7> stateOrder{
    TransferState::Resolving, TransferState::Resolved,      TransferState::Sending,     TransferState::Sent,
    TransferState::Receiving, TransferState::Disconnecting, TransferState::Disconnected,
};

} // namespace

ScriptFetch::ScriptFetch(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this)) {}

ScriptFetch::~ScriptFetch()
{
    cancel();
}

void ScriptFetch::cancel()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    m_body.clear();
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
    m_body.clear();
    m_error.clear();
    m_status = 0;
    m_reached = 0;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        m_error = QStringLiteral("\"%1\" is not an HTTP address.").arg(url.toString());
        emit finished();
        return;
    }

    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(5);
    // The time-out counts silence, not the whole transfer: a slow server that keeps sending is waited for (the
    // size limit still ends an endless one).
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    advanceTo(TransferState::Resolving);
    m_reply = m_network->get(request);
    // A host name is resolved once the socket starts connecting.
    connect(m_reply, &QNetworkReply::socketStartedConnecting, this,
            [this] { advanceTo(TransferState::Sending); });
    connect(m_reply, &QNetworkReply::requestSent, this, [this] { advanceTo(TransferState::Sent); });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        advanceTo(TransferState::Receiving);
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maximumSize)
            fail(tooLargeMessage());
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &ScriptFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &ScriptFetch::onFinished);
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

void ScriptFetch::onReadyRead()
{
    if (!m_reply)
        return;
    advanceTo(TransferState::Receiving);
    m_body += m_reply->readAll();
    if (m_body.size() > maximumSize)
        fail(tooLargeMessage());
}

void ScriptFetch::onFinished()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    m_body += reply->readAll();
    // An HTTP status means the server answered: its page is judged as a script. No status means no answer.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool answered = status.isValid();
    m_status = status.toInt();
    if (answered && m_body.size() <= maximumSize) {
        advanceTo(TransferState::Disconnected);
    } else {
        m_body.clear();
        // Only the transfer time-out cancels a reply that is still connected to us.
        m_error = answered ? tooLargeMessage()
                  : reply->error() == QNetworkReply::OperationCanceledError
                      ? QStringLiteral("The update server sent nothing for %1 seconds; the transfer was stopped.")
                            .arg(static_cast<double>(m_timeout.count()) / 1000.0)
                      : QStringLiteral("The update check failed: %1").arg(reply->errorString());
    }
    reply->deleteLater();
    emit finished();
}

void ScriptFetch::fail(const QString& message)
{
    if (!m_reply)
        return;
    cancel();
    m_error = message;
    emit finished();
}

} // namespace tessary
