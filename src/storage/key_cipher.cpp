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

// Runs work(i) for every i below `count`, each taken by whichever thread comes first, so that several threads can
// share the work.
template <class Work>
void takeTurns(int count, std::atomic<int>& next, const Work& work)
{
    for (int i = next++; i < count; i = next++)
        work(i);
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
    const int count = table.keyCount();
    std::vector<FieldChain> chains(static_cast<std::size_t>(count));
    const auto chain = [&](int i) { chains[static_cast<std::size_t>(i)] = fieldChain(table.slot(i + 1).salt); };
    std::atomic<int> nextChain{0};
    QByteArray digest;
    {
        std::jthread helper([&] { takeTurns(count, nextChain, chain); });
        digest = hashPassword(password);
        takeTurns(count, nextChain, chain);
    }
    if (digest.isEmpty() || digest != storedDigest)
        return digest;

    // Large key rings are mostly their fields' bytes: the two threads share the deciphering too.
    MasterSecret secret{password.toByteArray(), digest};
    const auto decipher = [&](int i) { cryptKeyRecord(table.slot(i + 1), secret, chains[static_cast<std::size_t>(i)]); };
    std::atomic<int> nextRecord{0};
    {
        std::jthread helper([&] { takeTurns(count, nextRecord, decipher); });
        takeTurns(count, nextRecord, decipher);
    }
    wipe(secret.password);
    return digest;
}

} // namespace tessary
