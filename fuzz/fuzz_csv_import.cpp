// Any bytes as a CSV file to import, in every layout: no read outside the input, no crash, and every row the
// reader yields goes through the import's rules into keys a key ring can hold.
#include "transfer/csv_import.h"
#include "transfer/import_plan.h"

#include <QStringDecoder>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessary;
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(input);
    const ImportRows read = readCsvImport(text, std::nullopt, QStringLiteral("fuzz.csv"));
    if (!read.failure.isEmpty() && !read.rows.isEmpty())
        std::abort();
    const ImportPlan plan = planImport(read, KeyTable(), QDateTime::currentDateTime());
    if (plan.rows.size() != read.rows.size() || plan.records.size() > KeyTable::capacity)
        std::abort();
    KeyTable table;
    for (const KeyRecord& record : plan.records) {
        if (record.name.isEmpty() || record.name.size() > 255 || record.password.size() != 128 ||
            record.description.size() > 255 || !table.isKeyNameUnique(record.name) || !table.appendRecord(record))
            std::abort();
    }
    return 0;
}
