// Any bytes as a KeePass XML file to import: no read outside the input, no crash, no unbounded work, and every
// entry the reader yields goes through the import's rules into keys a key ring can hold.
#include "transfer/import_plan.h"
#include "transfer/xml_import.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessary;
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ImportRows read = readKeePassXml(input, QStringLiteral("fuzz.xml"));
    if (!read.failure.isEmpty() && (!read.rows.isEmpty() || read.skipped != 0))
        std::abort();
    if (read.rows.size() > maximumImportRows)
        std::abort();
    const ImportPlan plan = planImport(read, KeyTable(), QDateTime::currentDateTime());
    KeyTable table;
    for (const KeyRecord& record : plan.records) {
        if (record.name.isEmpty() || record.name.size() > 255 || record.password.size() != 128 ||
            record.description.size() > 255 || !table.isKeyNameUnique(record.name) || !table.appendRecord(record))
            std::abort();
    }
    return 0;
}
