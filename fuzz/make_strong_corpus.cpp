// Writes the seeds of fuzz_strong_ring into FOLDER: a strong key ring of three keys sealed by the ring's own writer
// under the password "fuzz" with a light key derivation (so that the fuzzer gets past the seal quickly), and the
// clear text inside it, which the target also seals and opens.
//   make_strong_corpus FOLDER
#include "storage/strong_ring_format.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

bool writeFile(const QString& name, QByteArrayView bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tessary;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_strong_corpus FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    KdfParameters kdf;
    kdf.passes = 2;
    kdf.memory = 64 * 1024;
    kdf = kdf.withFreshSalt();
    LockedBytes key{sealingKeySize};
    if (!deriveKey("fuzz", kdf, key)) {
        std::fprintf(stderr, "no key\n");
        return 1;
    }
    KeyTable table;
    for (int i = 1; i <= 3; ++i) {
        KeyRecord record;
        record.name = "key " + QByteArray::number(i);
        record.userName = "user" + QByteArray::number(i);
        record.url = "https://example.org/" + QByteArray::number(i);
        record.description = i == 2 ? QByteArray("two\r\nlines") : QByteArray();
        record.password = QByteArray("secret").leftJustified(12, ' ');
        table.addKey(record);
    }
    const QByteArray file = sealStrongRing(7, "fuzz", table, kdf, key);
    StrongHeader header;
    if (file.isEmpty() || !readStrongHeader(file, header).isEmpty()) {
        std::fprintf(stderr, "the writer's ring does not read back\n");
        return 1;
    }
    LockedBytes text{std::size_t(file.size() - strongRingHeaderSize) - sealingTagSize};
    if (!unseal(QByteArrayView(file).sliced(strongRingHeaderSize), QByteArrayView(file).first(strongRingHeaderSize),
                header.nonce, key, text)) {
        std::fprintf(stderr, "the writer's ring does not open\n");
        return 1;
    }
    if (!writeFile(folder + QStringLiteral("/three_keys.strongRing"), file) ||
        !writeFile(folder + QStringLiteral("/three_keys.text"), text.view())) {
        std::fprintf(stderr, "cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
