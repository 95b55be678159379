#include "transfer/key_export.h"

#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/ole_date.h"
#include "transfer/csv_import.h"

#include <QBuffer>
#include <QUuid>
#include <QXmlStreamWriter>

namespace tessary {

namespace {

// A key's fields as another program shows them.
struct ClearKey
{
    QString title, userName, password, url, notes, created;

    explicit ClearKey(const KeyRecord& record)
        : title(fromCodePage(record.name)), userName(fromCodePage(record.userName)),
          password(fromCodePage(usablePasswordView(record))), url(fromCodePage(record.url)),
          notes(fromCodePage(record.description)), created(utcStamp(record))
    {
        notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    ~ClearKey()
    {
        for (QString* text : {&title, &userName, &password, &url, &notes})
            wipe(*text);
    }
    ClearKey(const ClearKey&) = delete;
    ClearKey& operator=(const ClearKey&) = delete;

    // Empty for a stamp a damaged file left that is no date.
    static QString utcStamp(const KeyRecord& record)
    {
        const QDate date = fromOleDate(record.dateCreated);
        const QTime time = fromOleTime(record.timeCreated);
        if (!date.isValid() || !time.isValid())
            return {};
        return QDateTime(date, time).toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
    }
};

void appendQuoted(QByteArray& out, const QString& field)
{
    QByteArray bytes = field.toUtf8();
    out += '"';
    out += bytes.replace('"', "\"\"");
    out += '"';
    wipe(bytes);
}

// What XML 1.0 allows in a document.
bool xmlCarries(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The first field of the key that XML cannot carry, with the character, or empty.
QString xmlRefusal(const ClearKey& key)
{
    const std::pair<const char*, const QString*> fields[] = {{"name", &key.title},
                                                            {"user name", &key.userName},
                                                            {"password", &key.password},
                                                            {"URL", &key.url},
                                                            {"notes", &key.notes}};
    for (const auto& [what, text] : fields) {
        for (const char32_t c : text->toUcs4()) {
            if (!xmlCarries(c))
                return QStringLiteral("U+%1 in its %2")
                    .arg(QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')), QLatin1String(what));
        }
    }
    return {};
}

// Room for the whole export from the start, so that no copy of it is left behind as it grows: each code-page
// byte takes at most six bytes written (an entity, or three of UTF-8), a key's markup less than 1 KiB.
qsizetype exportCapacity(const KeyTable& table)
{
    qsizetype size = 4096;
    for (int s = 1; s <= table.keyCount(); ++s) {
        const KeyRecord& record = table.slot(s);
        size += 1024 + 6 * (record.name.size() + record.userName.size() + record.url.size() +
                            record.description.size() + record.password.size());
    }
    return size;
}

QString newUuid()
{
    return QString::fromLatin1(QUuid::createUuid().toRfc4122().toBase64());
}

} // namespace

QByteArray keePassXcCsv(const KeyTable& table)
{
    QByteArray out;
    out.reserve(exportCapacity(table));
    const QStringList header = csvHeader(TransferFormat::KeePassXcCsv);
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (i > 0)
            out += ',';
        appendQuoted(out, header.at(i));
    }
    out += '\n';
    for (int s = 1; s <= table.keyCount(); ++s) {
        const ClearKey key(table.slot(s));
        const QString fields[] = {QStringLiteral("Tessary"), key.title, key.userName, key.password, key.url,
                                  key.notes, QString(), QString(), QString(), key.created};
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            if (i > 0)
                out += ',';
            appendQuoted(out, fields[i]);
        }
        out += '\n';
    }
    return out;
}

QByteArray keePassXml(const KeyTable& table, QString& refusal)
{
    for (int s = 1; s <= table.keyCount(); ++s) {
        const ClearKey key(table.slot(s));
        if (const QString why = xmlRefusal(key); !why.isEmpty()) {
            refusal = QStringLiteral("The key \"%1\" holds a character XML cannot carry (%2). Nothing was written.")
                          .arg(key.title, why);
            return {};
        }
    }
    QByteArray out;
    out.reserve(exportCapacity(table));
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(-1); // tabs, as KeePass writes
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("KeePassFile"));
    xml.writeStartElement(QStringLiteral("Meta"));
    xml.writeTextElement(QStringLiteral("Generator"), QStringLiteral("Tessary"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Root"));
    xml.writeStartElement(QStringLiteral("Group"));
    xml.writeTextElement(QStringLiteral("UUID"), newUuid());
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Tessary"));
    for (int s = 1; s <= table.keyCount(); ++s) {
        const ClearKey key(table.slot(s));
        xml.writeStartElement(QStringLiteral("Entry"));
        xml.writeTextElement(QStringLiteral("UUID"), newUuid());
        if (!key.created.isEmpty()) {
            xml.writeStartElement(QStringLiteral("Times"));
            xml.writeTextElement(QStringLiteral("CreationTime"), key.created);
            xml.writeTextElement(QStringLiteral("LastModificationTime"), key.created);
            xml.writeEndElement();
        }
        const std::pair<const char*, const QString*> strings[] = {{"Title", &key.title},
                                                                 {"UserName", &key.userName},
                                                                 {"Password", &key.password},
                                                                 {"URL", &key.url},
                                                                 {"Notes", &key.notes}};
        for (const auto& [name, value] : strings) {
            xml.writeStartElement(QStringLiteral("String"));
            xml.writeTextElement(QStringLiteral("Key"), QLatin1String(name));
            xml.writeStartElement(QStringLiteral("Value"));
            if (value == &key.password)
                xml.writeAttribute(QStringLiteral("ProtectInMemory"), QStringLiteral("True"));
            xml.writeCharacters(*value);
            xml.writeEndElement();
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return out;
}

} // namespace tessary
