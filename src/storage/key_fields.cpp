#include "storage/key_fields.h"

#include "storage/codepage.h"

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

QString unstorableTextMessage(const QString& what, const QString& text)
{
    QString named;
    for (const char32_t c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (!fitsCodePage(character)) {
            named = QStringLiteral(" (\"%1\")").arg(character);
            break;
        }
    }
    return QStringLiteral("The %1 holds characters a key ring cannot store%2. Nothing was written.").arg(what, named);
}

QString tooLongTextMessage(const QString& what, qsizetype maximum)
{
    return QStringLiteral("The %1 may be at most %2 characters long. Nothing was written.").arg(what).arg(maximum);
}

} // namespace tessary
