#include "transfer/import_rows.h"

#include "crypto/wipe.h"
#include "storage/key_table.h"

namespace tessary {

void ImportRows::wipe()
{
    for (ImportRow& row : rows) {
        for (QString* text : {&row.title, &row.userName, &row.url, &row.notes, &row.password})
            tessary::wipe(*text);
    }
    rows.clear();
}

QString rowLabel(TransferFormat format, int number)
{
    switch (kindOf(format)) {
    case FileKind::Csv:
        return QStringLiteral("line %1").arg(number);
    case FileKind::Xml:
        return QStringLiteral("entry %1").arg(number);
    case FileKind::KeyRing:
        break;
    }
    return QStringLiteral("key %1").arg(number);
}

QString tooManyRowsMessage(const QString& fileName)
{
    return QStringLiteral("%1 holds more than %2 entries; a key ring holds %3 keys at most. Nothing was read.")
        .arg(fileName)
        .arg(maximumImportRows)
        .arg(KeyTable::capacity);
}

} // namespace tessary
