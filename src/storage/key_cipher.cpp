#include "storage/key_cipher.h"

#include "crypto/md2.h"
#include "crypto/password_hash.h"
#include "crypto/rc4.h"
#include "crypto/wipe.h"
#include "storage/key_record.h"
#include "storage/key_table.h"

#include <atomic>
#include <thread>
#include <vector>

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

// Computes the chains of slots 1 to chains.size(), taking the next slot not yet taken, so that several threads
// can share the work.
void computeChains(const KeyTable& table, std::vector<FieldChain>& chains, std::atomic<int>& next)
{
    for (int i = next++; i < static_cast<int>(chains.size()); i = next++)
        chains[static_cast<std::size_t>(i)] = fieldChain(table.slot(i + 1).salt);
}

} // namespace

FieldChain fieldChain(QByteArrayView salt)
{
    FieldChain chain{};
    messageDigest2(reinterpret_cast<const std::uint8_t*>(salt.data()),
                   static_cast<std::size_t>(std::min<qsizetype>(salt.size(), saltSize)), chain[0].data());
    for (std::size_t i = 1; i < chain.size(); ++i)
        messageDigest2(chain[i - 1].data(), chain[i - 1].size(), chain[i].data());
    return chain;
}

void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret, const FieldChain& chain)
{
    QByteArray keyText = secret.password + secret.key;
    const qsizetype prefixLength = keyText.size();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        keyText.truncate(prefixLength);
        keyText.append(reinterpret_cast<const char*>(chain[i].data()), digestSize);
        keyText.append(fields[i].tag);
        rc4Crypt(record.*fields[i].member, keyText, 1);
    }
    keyText.fill('\0');
}

void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret)
{
    cryptKeyRecord(record, secret, fieldChain(record.salt));
}

void cryptKeyTable(KeyTable& table, const MasterSecret& secret)
{
    for (int slot = 1; slot <= table.keyCount(); ++slot)
        cryptKeyRecord(table.slot(slot), secret);
}

QByteArray unlockKeyTable(KeyTable& table, QByteArrayView password, QByteArrayView storedDigest)
{
    std::vector<FieldChain> chains(static_cast<std::size_t>(table.keyCount()));
    std::atomic<int> next{0};
    QByteArray digest;
    {
        std::jthread helper([&] { computeChains(table, chains, next); });
        digest = hashPassword(password);
        computeChains(table, chains, next);
    }
    if (digest.isEmpty() || digest != storedDigest)
        return digest;
    MasterSecret secret{password.toByteArray(), digest};
    for (int slot = 1; slot <= table.keyCount(); ++slot)
        cryptKeyRecord(table.slot(slot), secret, chains[static_cast<std::size_t>(slot - 1)]);
    wipe(secret.password);
    return digest;
}

} // namespace tessary
