#include "transfer/csv_import.h"

#include "transfer/csv_reader.h"

#include <array>

namespace tessary {

namespace {

enum class Stamp { None, Iso, Milliseconds };

// Where each field stands in a layout's records; -1 for one it lacks.
struct CsvLayout
{
    TransferFormat format;
    QStringList header;
    int title, userName, password, url, notes, created;
    Stamp stamp;
    int type = -1;            // a row is imported only when this holds "login"
    QList<int> dropped = {};  // fields a key has no room for, named in the report when not empty
    qsizetype optionalTail = 0; // how many last fields a writer may leave out (Chrome's note)
};

const std::array<CsvLayout, 4>& layouts()
{
    static const std::array<CsvLayout, 4> all{{
        {TransferFormat::KeePassXcCsv,
         {QStringLiteral("Group"), QStringLiteral("Title"), QStringLiteral("Username"), QStringLiteral("Password"),
          QStringLiteral("URL"), QStringLiteral("Notes"), QStringLiteral("TOTP"), QStringLiteral("Icon"),
          QStringLiteral("Last Modified"), QStringLiteral("Created")},
         1, 2, 3, 4, 5, 9, Stamp::Iso, -1, {6}},
        {TransferFormat::BitwardenCsv,
         {QStringLiteral("folder"), QStringLiteral("favorite"), QStringLiteral("type"), QStringLiteral("name"),
          QStringLiteral("notes"), QStringLiteral("fields"), QStringLiteral("reprompt"), QStringLiteral("login_uri"),
          QStringLiteral("login_username"), QStringLiteral("login_password"), QStringLiteral("login_totp")},
         3, 8, 9, 7, 4, -1, Stamp::None, 2, {5, 10}},
        {TransferFormat::ChromeCsv,
         {QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("username"), QStringLiteral("password"),
          QStringLiteral("note")},
         0, 2, 3, 1, 4, -1, Stamp::None, -1, {}, 1},
        {TransferFormat::FirefoxCsv,
         {QStringLiteral("url"), QStringLiteral("username"), QStringLiteral("password"), QStringLiteral("httpRealm"),
          QStringLiteral("formActionOrigin"), QStringLiteral("guid"), QStringLiteral("timeCreated"),
          QStringLiteral("timeLastUsed"), QStringLiteral("timePasswordChanged")},
         -1, 1, 2, 0, -1, 6, Stamp::Milliseconds},
    }};
    return all;
}

bool matches(const CsvLayout& layout, const QStringList& header)
{
    const qsizetype full = layout.header.size();
    if (header.size() != full && header.size() != full - layout.optionalTail)
        return false;
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (header.at(i).trimmed().compare(layout.header.at(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

QDateTime stampOf(const QString& text, Stamp stamp)
{
    if (stamp == Stamp::Iso)
        return QDateTime::fromString(text.trimmed(), Qt::ISODate);
    bool number = false;
    const qint64 milliseconds = text.trimmed().toLongLong(&number);
    // Firefox writes 0 for a login it has no date for.
    return number && milliseconds > 0 ? QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC) : QDateTime();
}

ImportRow rowOf(const CsvLayout& layout, const CsvRecord& record, qsizetype width)
{
    ImportRow row;
    row.number = record.line;
    if (record.fieldCount != width) {
        row.refusal = QStringLiteral("it has %1 fields where the header row has %2").arg(record.fieldCount).arg(width);
        if (layout.title >= 0 && layout.title < record.fields.size())
            row.title = record.fields.at(layout.title);
        return row;
    }
    const auto field = [&record](int at) { return at >= 0 && at < record.fields.size() ? record.fields.at(at) : QString(); };
    row.title = field(layout.title);
    row.userName = field(layout.userName);
    row.password = field(layout.password);
    row.url = field(layout.url);
    row.notes = field(layout.notes);
    if (layout.created >= 0)
        row.created = stampOf(field(layout.created), layout.stamp);
    for (const int at : layout.dropped) {
        if (!field(at).isEmpty())
            row.dropped.append(layout.header.at(at));
    }
    return row;
}

QString headerText(const QStringList& header)
{
    return header.join(QLatin1Char(','));
}

} // namespace

QStringList csvHeader(TransferFormat format)
{
    for (const CsvLayout& layout : layouts()) {
        if (layout.format == format)
            return layout.header;
    }
    return {};
}

ImportRows readCsvImport(QStringView text, std::optional<TransferFormat> format, const QString& fileName)
{
    ImportRows read;
    if (text.startsWith(QChar(0xFEFF)))
        text = text.sliced(1);
    // A row with more fields than any layout has is refused whatever it holds, so no more are kept.
    constexpr qsizetype keptFields = 16;
    CsvTable table = readCsv(text, keptFields, maximumImportRows + 1);
    if (!table.failure.isEmpty()) {
        read.failure = QStringLiteral("%1 is not CSV as expected (%2). Nothing was read.").arg(fileName, table.failure);
        return read;
    }
    if (table.records.size() > maximumImportRows) {
        read.failure = tooManyRowsMessage(fileName);
        return read;
    }
    const QStringList header = table.records.isEmpty() ? QStringList() : table.records.first().fields;
    const CsvLayout* layout = nullptr;
    for (const CsvLayout& candidate : layouts()) {
        if ((!format || *format == candidate.format) && matches(candidate, header))
            layout = &candidate;
    }
    if (!layout) {
        read.failure = format ? QStringLiteral("%1 does not begin with the header row of %2 (%3). Nothing was read.")
                                    .arg(fileName, formatTitle(*format), headerText(csvHeader(*format)))
                              : QStringLiteral("%1 begins with a header row Tessary does not know: %2. It reads the "
                                               "CSV of KeePassXC, Bitwarden, Chrome and Firefox. Nothing was read.")
                                    .arg(fileName, headerText(header).left(200));
        return read;
    }
    read.format = layout->format;
    const qsizetype width = header.size();
    for (qsizetype r = 1; r < table.records.size(); ++r) {
        const CsvRecord& record = table.records.at(r);
        if (layout->type >= 0 && record.fieldCount == width &&
            record.fields.at(layout->type).trimmed().compare(QLatin1String("login"), Qt::CaseInsensitive) != 0) {
            ++read.skipped;
            continue;
        }
        read.rows.append(rowOf(*layout, record, width));
    }
    if (read.skipped > 0)
        read.skippedWhat = QStringLiteral("not logins (notes, cards, identities)");
    return read;
}

} // namespace tessary
