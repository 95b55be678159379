#include "analysis/new_key.h"

#include <QList>

namespace tessary {

QByteArray passwordBuffer(QByteArrayView password)
{
    QByteArray buffer = password.first(std::min(password.size(), passwordBufferSize)).toByteArray();
    if (buffer.size() < passwordBufferSize)
        buffer.append('\0');
    return buffer.leftJustified(passwordBufferSize, ' ');
}

QByteArray completeUrl(QByteArrayView url)
{
    const QByteArray head = url.first(std::min<qsizetype>(url.size(), 4)).toByteArray().toLower();
    static const QList<QByteArray> kept{"", "http", "ftp:", "goph", "teln"};
    if (kept.contains(head))
        return url.toByteArray();
    return "http://" + url.toByteArray();
}

} // namespace tessary
