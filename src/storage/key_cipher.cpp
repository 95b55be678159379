#include "storage/key_cipher.h"

#include "crypto/md2.h"
#include "crypto/rc4.h"
#include "storage/key_record.h"
#include "storage/key_table.h"

#include <array>
#include <cstdint>

namespace tessary {

namespace {

struct Field
{
    QByteArray KeyRecord::* member;
    QByteArrayView tag;
};

// The order matters: each field takes the next digest of the chain that starts from the salt.
const std::array<Field, 5> fields{{
    {&KeyRecord::password, "PASSWORD"},
    {&KeyRecord::name, "NAME"},
    {&KeyRecord::description, "DATA"},
    {&KeyRecord::userName, "USERNAME"},
    {&KeyRecord::url, "URL"},
}};

} // namespace

void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret)
{
    std::array<std::uint8_t, digestSize> chain{};
    messageDigest2(reinterpret_cast<const std::uint8_t*>(record.salt.constData()),
                   static_cast<std::size_t>(std::min<qsizetype>(record.salt.size(), saltSize)), chain.data());

    QByteArray keyText = secret.password + secret.key;
    const qsizetype prefixLength = keyText.size();
    bool first = true;
    for (const Field& field : fields) {
        if (!first)
            messageDigest2(chain.data(), chain.size(), chain.data());
        first = false;
        keyText.truncate(prefixLength);
        keyText.append(reinterpret_cast<const char*>(chain.data()), digestSize);
        keyText.append(field.tag);
        rc4Crypt(record.*field.member, keyText, 1);
    }
    keyText.fill('\0');
}

void cryptKeyTable(KeyTable& table, const MasterSecret& secret)
{
    for (int slot = 1; slot <= table.keyCount(); ++slot)
        cryptKeyRecord(table.slot(slot), secret);
}

} // namespace tessary
