#include "storage/key_cipher.h"

#include "crypto/md2.h"
#include "crypto/password_hash.h"
#include "crypto/random.h"
#include "crypto/rc4.h"
#include "crypto/wipe.h"
#include "storage/key_record.h"
#include "storage/key_table.h"

#include <algorithm>
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

void fieldChains(std::span<const QByteArrayView> salts, std::span<FieldChain> chains)
{
    // A whole salt is a 16-byte block like the digests after it, so its chain is digested with the others. A
    // shorter salt (none of the file's) has its first digest made on its own.
    std::vector<std::uint8_t*> blocks;
    blocks.reserve(salts.size());
    for (std::size_t i = 0; i < salts.size(); ++i) {
        const QByteArrayView salt = salts[i];
        auto& first = chains[i][0];
        if (salt.size() >= saltSize) {
            std::copy_n(reinterpret_cast<const std::uint8_t*>(salt.data()), first.size(), first.data());
            blocks.push_back(first.data());
        } else {
            messageDigest2(reinterpret_cast<const std::uint8_t*>(salt.data()), static_cast<std::size_t>(salt.size()),
                           first.data());
        }
    }
    redigest(blocks);
    for (std::size_t link = 1; link < FieldChain{}.size(); ++link) {
        for (std::size_t i = 0; i < chains.size(); ++i)
            chains[i][link] = chains[i][link - 1];
        blocks.clear();
        for (FieldChain& chain : chains)
            blocks.push_back(chain[link].data());
        redigest(blocks);
    }
}

FieldChain fieldChain(QByteArrayView salt)
{
    FieldChain chain;
    fieldChains({&salt, 1}, {&chain, 1});
    return chain;
}

void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret, const FieldChain& chain)
{
    // Room for the longest key text at once: a buffer outgrown would be freed with the password in it.
    const qsizetype prefixLength = secret.password.size() + secret.key.size();
    QByteArray keyText;
    keyText.reserve(prefixLength + digestSize + 8);
    keyText.append(QByteArrayView(secret.password)).append(QByteArrayView(secret.key));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        keyText.truncate(prefixLength);
        keyText.append(reinterpret_cast<const char*>(chain[i].data()), digestSize);
        keyText.append(fields[i].tag);
        rc4Crypt(record.*fields[i].member, keyText, 1);
    }
    wipe(keyText);
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
    std::vector<QByteArrayView> salts;
    for (int slot = 1; slot <= count; ++slot)
        salts.push_back(table.slot(slot).salt);
    // In groups of eight records, the lanes redigest works in.
    constexpr int group = 8;
    const int groups = (count + group - 1) / group;
    const auto chain = [&](int g) {
        const auto first = static_cast<std::size_t>(g * group);
        const auto length = std::min<std::size_t>(group, chains.size() - first);
        fieldChains(std::span(salts).subspan(first, length), std::span(chains).subspan(first, length));
    };
    std::atomic<int> nextGroup{0};
    QByteArray digest;
    {
        std::jthread helper([&] { takeTurns(groups, nextGroup, chain); });
        digest = hashPassword(password);
        takeTurns(groups, nextGroup, chain);
    }
    if (digest.isEmpty() || digest != storedDigest)
        return digest;

    // Large key rings are mostly their fields' bytes: the two threads share the deciphering too.
    MasterSecret secret{password.toByteArray(), digest, nullptr};
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
