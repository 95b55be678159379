// What an attacker holding a key ring file pays per guess of its master password, against each format, on one
// core; what a login pays to open a full ring of each (read from disk through the program's reader); and the size
// of that ring. A classic guess needs no MD2 digest of the password: each field's RC4 key is the password, the
// stored digest, a digest chained from the record's salt (both in the file) and the field's name, and every URL
// begins with "http", so one RC4 key schedule and four bytes test a guess. A strong guess is Argon2id with the
// parameters stored in the file, then the seal's tag.
#include "crypto/password_hash.h"
#include "full_table.h"
#include "storage/key_cipher.h"
#include "storage/key_ring_file.h"

#include <benchmark/benchmark.h>
#include <nettle/arcfour.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using namespace tessary;

using bench::fullTable;
using bench::masterPassword;
constexpr QByteArrayView owner = "bench";

// Wrong guesses, made before the clock starts.
std::vector<QByteArray> guesses(int count)
{
    std::vector<QByteArray> out;
    for (int i = 0; i < count; ++i)
        out.push_back("guess number " + QByteArray::number(i));
    return out;
}

// A full ring of each format in a folder of its own, written by the program's writers.
struct Rings
{
    QTemporaryDir folder;
    QString classic = folder.filePath(QStringLiteral("classic.keyRing"));
    QString strong = folder.filePath(QStringLiteral("strong.keyRing"));
    qint64 classicSize = 0;
    qint64 strongSize = 0;

    Rings()
    {
        const KeyTable table = fullTable();
        const QByteArray digest = hashPassword(masterPassword);
        const KdfParameters kdf = KdfParameters::fresh();
        LockedBytes key{sealingKeySize};
        if (!writeKeyRing(classic, table, digest, MasterSecret{masterPassword, digest}) ||
            !deriveKey(masterPassword, kdf, key) ||
            !writeKeyRingBytes(strong, sealStrongRing(1, owner, table, kdf, key)))
            return;
        classicSize = QFileInfo(classic).size();
        strongSize = QFileInfo(strong).size();
    }
};

const Rings& rings()
{
    static const Rings made;
    return made;
}

// The attacker's test of one guess: the RC4 key of the first record's URL, and its first four bytes.
class ClassicGuesser
{
public:
    explicit ClassicGuesser(const KeyRingReadResult& read)
    {
        const KeyRecord& record = read.table.slot(1);
        const FieldChain chain = fieldChain(record.salt); // the URL's is the fifth
        m_suffix = read.storedDigest + QByteArray(reinterpret_cast<const char*>(chain[4].data()), 16) + "URL";
        std::memcpy(m_cipher, record.url.constData(), sizeof m_cipher);
    }

    // RC4 written out as a guesser would: the key repeated to the schedule's length, so that no step divides.
    bool test(const QByteArray& guess) const
    {
        std::uint8_t key[ARCFOUR_MAX_KEY_SIZE];
        const auto length = std::size_t(guess.size()), suffix = std::size_t(m_suffix.size());
        std::memcpy(key, guess.constData(), length);
        std::memcpy(key + length, m_suffix.constData(), suffix);
        std::uint8_t schedule[256];
        for (std::size_t at = 0; at < sizeof schedule; at += length + suffix)
            std::memcpy(schedule + at, key, std::min(sizeof schedule - at, length + suffix));
        std::uint8_t box[256];
        for (int i = 0; i < 256; ++i)
            box[i] = std::uint8_t(i);
        std::uint8_t j = 0;
        for (int i = 0; i < 256; ++i) {
            j = std::uint8_t(j + box[i] + schedule[i]);
            std::swap(box[i], box[j]);
        }
        std::uint8_t i = 0;
        j = 0;
        for (std::size_t n = 0; n < 4; ++n) {
            i = std::uint8_t(i + 1);
            j = std::uint8_t(j + box[i]);
            std::swap(box[i], box[j]);
            if ((m_cipher[n] ^ box[std::uint8_t(box[i] + box[j])]) != std::uint8_t("http"[n]))
                return false;
        }
        return true;
    }

private:
    QByteArray m_suffix;
    std::uint8_t m_cipher[4];
};

void BM_guess_classic(benchmark::State& state)
{
    const KeyRingReadResult read = readKeyRing(rings().classic);
    if (read.status != KeyRingReadResult::Status::Ok) {
        state.SkipWithError("the classic ring does not read");
        return;
    }
    const ClassicGuesser guesser(read);
    const std::vector<QByteArray> wrong = guesses(4096);
    int hits = 0;
    for (const QByteArray& guess : wrong)
        hits += guesser.test(guess);
    if (!guesser.test(masterPassword) || hits > 1) { // 2^-32 a wrong guess
        state.SkipWithError("the test does not tell the password from wrong guesses");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(guesser.test(wrong[i]));
        i = (i + 1) % wrong.size();
    }
    state.counters["guesses/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_guess_strong(benchmark::State& state)
{
    const KeyRingReadResult read = readKeyRing(rings().strong);
    if (read.status != KeyRingReadResult::Status::Ok || read.format != KeyRingFormat::Strong) {
        state.SkipWithError("the strong ring does not read");
        return;
    }
    const QByteArrayView sealed = QByteArrayView(read.sealed).sliced(strongRingHeaderSize);
    const QByteArrayView header = QByteArrayView(read.sealed).first(strongRingHeaderSize);
    LockedBytes key{sealingKeySize};
    LockedBytes text{std::size_t(sealed.size()) - sealingTagSize};
    const std::vector<QByteArray> wrong = guesses(64);
    std::size_t i = 0;
    for (auto _ : state) {
        const bool fits =
            deriveKey(wrong[i], read.strong.kdf, key) && unseal(sealed, header, read.strong.nonce, key, text);
        if (fits)
            state.SkipWithError("a wrong guess opened the seal");
        i = (i + 1) % wrong.size();
    }
    state.counters["guesses/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["passes"] = read.strong.kdf.passes;
    state.counters["MiB"] = double(read.strong.kdf.memory >> 20);
}

void BM_unlock_classic(benchmark::State& state)
{
    for (auto _ : state) {
        KeyRingReadResult read = readKeyRing(rings().classic);
        if (unlockKeyTable(read.table, masterPassword, read.storedDigest) != read.storedDigest ||
            read.table.keyCount() != KeyTable::capacity)
            state.SkipWithError("the classic ring does not open");
        benchmark::DoNotOptimize(read.table.slot(KeyTable::capacity).password.data());
    }
    state.counters["file_bytes"] = double(rings().classicSize);
}

void BM_unlock_strong(benchmark::State& state)
{
    for (auto _ : state) {
        const KeyRingReadResult read = readKeyRing(rings().strong);
        LockedBytes key{sealingKeySize};
        StrongContent content;
        if (!deriveKey(masterPassword, read.strong.kdf, key) ||
            openStrongRing(read.sealed, read.strong, key, content) != StrongOpen::Opened ||
            content.table.keyCount() != KeyTable::capacity || content.owner != owner)
            state.SkipWithError("the strong ring does not open");
        benchmark::DoNotOptimize(content.table.slot(KeyTable::capacity).password.data());
    }
    state.counters["file_bytes"] = double(rings().strongSize);
}

} // namespace

BENCHMARK(BM_guess_classic);
BENCHMARK(BM_guess_strong)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_unlock_classic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_unlock_strong)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_MAIN();
