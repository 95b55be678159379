// Any bytes given to the strong key ring's reader, with the password "fuzz": as a file (the header read, then the
// seal opened when the key derivation is light enough to run here), and as the clear text of a seal (sealed here,
// so that the fuzzer reaches the reading of the keys behind the tag). No read outside the input, no allocation
// past the reader's bounds, no crash; whatever opens comes back the same through a new seal and a second open.
#include "storage/key_ring_format.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>

namespace {

using namespace tessary;

constexpr QByteArrayView password = "fuzz";

// The reader accepts up to 64 passes over 4 GiB, which takes minutes; the fuzzer derives keys only for headers up
// to this and reads the header alone for the rest (the reader's own bound is checked on every input).
constexpr std::uint32_t harnessPasses = 3;
constexpr std::uint64_t harnessMemory = 256 * 1024;

// A mutated salt or cost is a new key; the seeds' keys are asked for again and again.
const LockedBytes* keyFor(const KdfParameters& kdf)
{
    using Id = std::tuple<std::uint32_t, std::uint64_t, std::array<std::uint8_t, kdfSaltSize>>;
    static std::map<Id, std::unique_ptr<LockedBytes>> keys;
    const Id id{kdf.passes, kdf.memory, kdf.salt};
    if (const auto found = keys.find(id); found != keys.end())
        return found->second.get();
    auto key = std::make_unique<LockedBytes>(sealingKeySize);
    if (!deriveKey(password, kdf, *key))
        std::abort(); // an accepted header whose key cannot be made
    if (keys.size() >= 256)
        keys.clear();
    return keys.emplace(id, std::move(key)).first->second.get();
}

bool sameRecord(const KeyRecord& a, const KeyRecord& b)
{
    // NaN dates compare unequal to themselves, so compare their bytes.
    return a.name == b.name && a.userName == b.userName && a.url == b.url && a.description == b.description &&
           a.password == b.password && a.salt == b.salt &&
           std::memcmp(&a.dateCreated, &b.dateCreated, sizeof(double)) == 0 &&
           std::memcmp(&a.timeCreated, &b.timeCreated, sizeof(double)) == 0;
}

// What opened is sealed again and must open to the same content, with a new nonce.
void roundTrip(const StrongContent& content, const StrongHeader& header, const LockedBytes& key)
{
    if (content.table.keyCount() < 0 || content.table.keyCount() > KeyTable::capacity)
        std::abort();
    QString error;
    const QByteArray again = sealStrongRing(content.generation, content.owner, content.table, header.kdf, key, &error);
    if (again.isEmpty())
        std::abort(); // every text read had a 16-bit length, so it fits again
    StrongHeader reread;
    if (!readStrongHeader(again, reread).isEmpty() || reread.nonce == header.nonce)
        std::abort();
    StrongContent second;
    if (openStrongRing(again, reread, key, second) != StrongOpen::Opened || second.generation != content.generation ||
        second.owner != content.owner || second.table.keyCount() != content.table.keyCount())
        std::abort();
    for (int s = 1; s <= second.table.keyCount(); ++s)
        if (!sameRecord(second.table.slot(s), content.table.slot(s)))
            std::abort();
}

void asFile(QByteArrayView input)
{
    const KeyRingReadResult read = parseKeyRing(input, QStringLiteral("fuzz.keyRing"));
    if (read.format != KeyRingFormat::Strong)
        return; // the classic reader has a target of its own
    if (!read.usable()) {
        if (read.message.isEmpty() || !read.sealed.isEmpty())
            std::abort();
        return;
    }
    if (!read.strong.kdf.acceptable() || read.sealed.size() != input.size() ||
        read.sealed.size() < strongRingHeaderSize + qsizetype(sealingTagSize) + strongRingPadding)
        std::abort();
    if (read.strong.kdf.passes > harnessPasses || read.strong.kdf.memory > harnessMemory)
        return;
    const LockedBytes& key = *keyFor(read.strong.kdf);
    StrongContent content;
    QString message;
    switch (openStrongRing(read.sealed, read.strong, key, content, &message)) {
    case StrongOpen::WrongKey:
        return;
    case StrongOpen::Malformed:
        if (message.isEmpty())
            std::abort();
        return;
    case StrongOpen::Opened:
        roundTrip(content, read.strong, key);
    }
}

void asSealedText(QByteArrayView input)
{
    KdfParameters kdf;
    kdf.passes = 1;
    kdf.memory = KdfParameters::leastMemory;
    static const LockedBytes& key = *keyFor(kdf);
    // A header from the writer, its length set to this text's.
    static const QByteArray empty = sealStrongRing(0, "", KeyTable{}, kdf, key);
    StrongHeader header;
    if (!readStrongHeader(empty, header).isEmpty())
        std::abort();
    QByteArray file = empty.first(strongRingHeaderSize);
    const auto length = std::uint32_t(input.size() + qsizetype(sealingTagSize));
    for (int i = 0; i < 4; ++i)
        file[strongRingHeaderSize - 4 + i] = char(length >> (8 * i));
    file.append(seal(input, file, header.nonce, key));

    StrongContent content;
    QString message;
    switch (openStrongRing(file, header, key, content, &message)) {
    case StrongOpen::WrongKey:
        std::abort(); // sealed just now under this key
    case StrongOpen::Malformed:
        if (message.isEmpty())
            std::abort();
        return;
    case StrongOpen::Opened:
        roundTrip(content, header, key);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    asFile(input);
    asSealedText(input);
    return 0;
}
