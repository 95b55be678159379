#include "storage/key_fields.h"

#include "storage/codepage.h"

#include <QList>

#include <algorithm>

namespace tessary {

QByteArray passwordBuffer(QByteArrayView password)
{
    // Made in place: no copy of the password is left behind unwiped.
    QByteArray buffer(passwordBufferSize, ' ');
    const qsizetype kept = std::min(password.size(), passwordBufferSize);
    std::copy_n(password.data(), kept, buffer.data());
    if (kept < passwordBufferSize)
        buffer[kept] = '\0';
    return buffer;
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
