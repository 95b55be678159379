// The costs of a login and a save beside reference loops that do the same work the way the file format was first
// computed: the master password digested twice per login, each record's five field keys built from scratch.
#include "crypto/md2.h"
#include "crypto/password_hash.h"
#include "crypto/random.h"
#include "full_table.h"
#include "storage/key_cipher.h"
#include "storage/key_ring_file.h"
#include "storage/key_table.h"

#include <benchmark/benchmark.h>
#include <nettle/arcfour.h>
#include <nettle/md2.h>

#include <array>
#include <cstdint>

namespace {

using namespace tessary;

using bench::fullTable;
using bench::masterPassword;

using Digest = std::array<std::uint8_t, 16>;

Digest md2(const std::uint8_t* data, std::size_t length)
{
    Digest out{};
    md2_ctx context;
    md2_init(&context);
    md2_update(&context, length, data);
    md2_digest(&context, out.size(), out.data());
    return out;
}

// The master password's digest with Nettle alone: MD2 of the password, then 1025 times MD2 of the digest.
QByteArray referenceHash(const QByteArray& password)
{
    Digest d = md2(reinterpret_cast<const std::uint8_t*>(password.data()), static_cast<std::size_t>(password.size()));
    for (int i = 0; i < 1025; ++i)
        d = md2(d.data(), d.size());
    return QByteArray(reinterpret_cast<const char*>(d.data()), 16);
}

// One record's five fields with Nettle alone: the digest chain from the salt and an RC4 key per field.
void referenceCrypt(KeyRecord& record, const QByteArray& password, const QByteArray& masterKey)
{
    static const std::array<std::pair<QByteArray KeyRecord::*, QByteArray>, 5> fields{{
        {&KeyRecord::password, QByteArrayLiteral("PASSWORD")},
        {&KeyRecord::name, QByteArrayLiteral("NAME")},
        {&KeyRecord::description, QByteArrayLiteral("DATA")},
        {&KeyRecord::userName, QByteArrayLiteral("USERNAME")},
        {&KeyRecord::url, QByteArrayLiteral("URL")},
    }};
    Digest d = md2(reinterpret_cast<const std::uint8_t*>(record.salt.data()), 16);
    bool first = true;
    for (const auto& [member, tag] : fields) {
        if (!first)
            d = md2(d.data(), d.size());
        first = false;
        const QByteArray key = password + masterKey + QByteArray(reinterpret_cast<const char*>(d.data()), 16) + tag;
        arcfour_ctx context;
        arcfour_set_key(&context, static_cast<std::size_t>(key.size()),
                        reinterpret_cast<const std::uint8_t*>(key.data()));
        QByteArray& text = record.*member;
        arcfour_crypt(&context, static_cast<std::size_t>(text.size()), reinterpret_cast<std::uint8_t*>(text.data()),
                      reinterpret_cast<const std::uint8_t*>(text.data()));
    }
}

// What a login finds on disk: the full ring's records, still enciphered.
KeyRingReadResult fullRingAsRead()
{
    const MasterSecret secret{masterPassword, hashPassword(masterPassword)};
    const QByteArray bytes = serializeKeyRing(fullTable(), secret.key, secret);
    return parseKeyRing(bytes, QStringLiteral("bench.keyRing"));
}

void BM_hashPassword(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(hashPassword(masterPassword));
}

void BM_hashPassword_reference(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(referenceHash(masterPassword));
}

void BM_login(benchmark::State& state)
{
    const KeyRingReadResult read = fullRingAsRead();
    for (auto _ : state) {
        KeyTable table = read.table;
        // One digest serves both the check and the field keys; the salt chains run beside it on the other core.
        benchmark::DoNotOptimize(unlockKeyTable(table, masterPassword, read.storedDigest));
        benchmark::DoNotOptimize(table.slot(KeyTable::capacity).password.data());
    }
}

void BM_login_reference(benchmark::State& state)
{
    const KeyRingReadResult read = fullRingAsRead();
    for (auto _ : state) {
        KeyTable table = read.table;
        if (referenceHash(masterPassword) == read.storedDigest) {
            const QByteArray masterKey = referenceHash(masterPassword);
            for (int s = 1; s <= table.keyCount(); ++s)
                referenceCrypt(table.slot(s), masterPassword, masterKey);
        }
        benchmark::DoNotOptimize(table.slot(KeyTable::capacity).password.data());
    }
}

void BM_save(benchmark::State& state)
{
    const KeyTable table = fullTable();
    const MasterSecret secret{masterPassword, hashPassword(masterPassword)};
    for (auto _ : state)
        benchmark::DoNotOptimize(serializeKeyRing(table, secret.key, secret));
}

void BM_save_reference(benchmark::State& state)
{
    const KeyTable table = fullTable();
    const QByteArray masterKey = referenceHash(masterPassword);
    for (auto _ : state) {
        QByteArray out = QByteArrayLiteral("TESSARYv0.1A") + masterKey + QByteArray("\xff\x00", 2);
        for (int s = 1; s <= table.keyCount(); ++s) {
            KeyRecord copy = table.slot(s);
            referenceCrypt(copy, masterPassword, masterKey);
            for (const QByteArray* text : {&copy.name, &copy.userName, &copy.url, &copy.description}) {
                const auto length = static_cast<quint16>(text->size());
                out.append(reinterpret_cast<const char*>(&length), 2).append(*text);
            }
            out.append(reinterpret_cast<const char*>(&copy.dateCreated), 8);
            out.append(reinterpret_cast<const char*>(&copy.timeCreated), 8);
            const auto length = static_cast<quint16>(copy.password.size());
            out.append(reinterpret_cast<const char*>(&length), 2).append(copy.password).append(copy.salt);
        }
        out.append(QByteArrayLiteral("****************Abracadabra --- The lights went out."));
        benchmark::DoNotOptimize(out.data());
    }
}

} // namespace

BENCHMARK(BM_hashPassword)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_hashPassword_reference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_login)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_login_reference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_save_reference)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
