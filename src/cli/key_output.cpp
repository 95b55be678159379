#include "cli/key_output.h"

#include "storage/codepage.h"
#include "storage/key_table.h"
#include "storage/ole_date.h"

#include <QDateTime>

namespace tessary::cli {

namespace {

QString text(const QByteArray& bytes)
{
    return fromCodePage(bytes);
}

QString oneLine(QString field)
{
    for (QChar& c : field) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return field;
}

} // namespace

QString keyListLine(const KeyRecord& record)
{
    const QStringList fields{oneLine(text(record.name)), oneLine(text(record.url)), oneLine(text(record.userName)),
                             creationStamp(record)};
    return fields.join(QLatin1Char('\t'));
}

QStringList keyFieldLines(const KeyRecord& record)
{
    const qsizetype nul = record.password.indexOf('\0');
    const QByteArray password = nul < 0 ? record.password : record.password.left(nul);
    return {
        QStringLiteral("Keyname: ") + text(record.name),
        QStringLiteral("Username: ") + text(record.userName),
        QStringLiteral("URL: ") + text(record.url),
        QStringLiteral("Created: ") + creationStamp(record),
        QStringLiteral("Password: ") + text(password),
        QStringLiteral("Key Description: ") + text(record.description),
    };
}

QJsonObject keyJson(const KeyRecord& record)
{
    const QDate date = fromOleDate(record.dateCreated);
    const QTime time = fromOleTime(record.timeCreated);
    const QJsonValue created = date.isValid() && time.isValid()
                                   ? QJsonValue(QDateTime(date, time).toString(Qt::ISODate))
                                   : QJsonValue(QJsonValue::Null);
    return QJsonObject{
        {QStringLiteral("name"), text(record.name)},
        {QStringLiteral("userName"), text(record.userName)},
        {QStringLiteral("url"), text(record.url)},
        {QStringLiteral("description"), text(record.description)},
        {QStringLiteral("password"), text(record.password)},
        {QStringLiteral("dateCreated"), record.dateCreated},
        {QStringLiteral("timeCreated"), record.timeCreated},
        {QStringLiteral("created"), created},
        {QStringLiteral("salt"), QString::fromLatin1(record.salt.toHex())},
    };
}

} // namespace tessary::cli
