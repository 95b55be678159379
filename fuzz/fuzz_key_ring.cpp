// Any bytes given to the key ring reader: no read outside the input, no crash, and whatever it accepts comes back
// unchanged through a decipher, a write and a second read.
#include "storage/key_cipher.h"
#include "storage/key_ring_file.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessary;
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const KeyRingReadResult read = parseKeyRing(input, QStringLiteral("fuzz.keyRing"));
    if (!read.usable()) {
        if (read.message.isEmpty() || read.table.keyCount() != 0)
            std::abort();
        return 0;
    }
    if (read.table.keyCount() < 0 || read.table.keyCount() > KeyTable::capacity)
        std::abort();
    if (read.storedDigest.size() != 16) // cut off inside the header: nothing to write back
        return read.table.keyCount() == 0 ? 0 : (std::abort(), 0);

    const MasterSecret secret{QByteArrayLiteral("fuzz"), read.storedDigest};
    KeyTable clear = read.table;
    cryptKeyTable(clear, secret);
    for (int s = 1; s <= clear.keyCount(); ++s)
        creationStamp(clear.slot(s)); // dates from a damaged file must still format without harm

    const QByteArray written = serializeKeyRing(clear, read.storedDigest, secret);
    const KeyRingReadResult again = parseKeyRing(written, QStringLiteral("fuzz.keyRing"));
    if (again.status != KeyRingReadResult::Status::Ok || again.storedDigest != read.storedDigest)
        std::abort();
    if (again.table.keyCount() != read.table.keyCount())
        std::abort();
    for (int s = 1; s <= again.table.keyCount(); ++s) {
        const KeyRecord& a = again.table.slot(s);
        const KeyRecord& b = read.table.slot(s);
        // NaN dates compare unequal to themselves, so compare their bytes.
        if (a.name != b.name || a.userName != b.userName || a.url != b.url || a.description != b.description ||
            a.password != b.password || a.salt != b.salt ||
            std::memcmp(&a.dateCreated, &b.dateCreated, sizeof(double)) != 0 ||
            std::memcmp(&a.timeCreated, &b.timeCreated, sizeof(double)) != 0)
            std::abort();
    }
    return 0;
}
