#include "cli/key_output.h"

#include "storage/codepage.h"
#include "storage/key_table.h"
#include "storage/ole_date.h"

#include <QDateTime>

#include <algorithm>

namespace tessary::cli {

namespace {

QString text(const QByteArray& bytes)
{
    return printable(fromCodePage(bytes));
}

} // namespace

QString printable(const QString& text)
{
    // The control characters (category Cc) are exactly U+0000 to U+001F and U+007F to U+009F.
    const auto isControl = [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0); };
    if (std::none_of(text.cbegin(), text.cend(), isControl))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c)) {
            shown.append(c);
        } else if (c == QLatin1Char('\t')) {
            shown.append(QLatin1String("\\t"));
        } else if (c == QLatin1Char('\n')) {
            shown.append(QLatin1String("\\n"));
        } else if (c == QLatin1Char('\r')) {
            shown.append(QLatin1String("\\r"));
        } else {
            shown.append(QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')));
        }
    }
    return shown;
}

QString keyListLine(const KeyRecord& record)
{
    const QStringList fields{text(record.name), text(record.url), text(record.userName), creationStamp(record)};
    return fields.join(QLatin1Char('\t'));
}

QStringList keyFieldLines(const KeyRecord& record, PasswordOutput password)
{
    QStringList lines{
        QStringLiteral("Keyname: ") + text(record.name),
        QStringLiteral("Username: ") + text(record.userName),
        QStringLiteral("URL: ") + text(record.url),
        QStringLiteral("Created: ") + creationStamp(record),
    };
    if (password == PasswordOutput::Shown)
        lines.append(QStringLiteral("Password: ") + text(usablePassword(record)));
    lines.append(QStringLiteral("Key Description: ") + text(record.description));
    return lines;
}

QJsonObject keyJson(const KeyRecord& record, PasswordOutput password)
{
    const QDate date = fromOleDate(record.dateCreated);
    const QTime time = fromOleTime(record.timeCreated);
    const QJsonValue created = date.isValid() && time.isValid()
                                   ? QJsonValue(QDateTime(date, time).toString(Qt::ISODate))
                                   : QJsonValue(QJsonValue::Null);
    QJsonObject key{
        {QStringLiteral("name"), fromCodePage(record.name)},
        {QStringLiteral("userName"), fromCodePage(record.userName)},
        {QStringLiteral("url"), fromCodePage(record.url)},
        {QStringLiteral("description"), fromCodePage(record.description)},
        {QStringLiteral("dateCreated"), record.dateCreated},
        {QStringLiteral("timeCreated"), record.timeCreated},
        {QStringLiteral("created"), created},
        {QStringLiteral("salt"), QString::fromLatin1(record.salt.toHex())},
    };
    if (password == PasswordOutput::Shown)
        key.insert(QStringLiteral("password"), fromCodePage(record.password));
    return key;
}

} // namespace tessary::cli
