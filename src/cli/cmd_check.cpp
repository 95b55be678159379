#include "cli/commands.h"

#include "storage/file_io.h"
#include "storage/key_ring_file.h"

#include <QDir>
#include <QtEndian>

#include <algorithm>

namespace tessary::cli {

namespace {

// Where the records end, from the lengths of the records read (the cipher keeps every length).
qsizetype recordsEnd(const KeyTable& table)
{
    qsizetype end = keyRingMagic.size() + 16 + 2;
    for (int s = 1; s <= table.keyCount(); ++s) {
        const KeyRecord& r = table.slot(s);
        end += 5 * 2 + 2 * 8 + saltSize + r.name.size() + r.userName.size() + r.url.size() + r.description.size() +
               r.password.size();
    }
    return end;
}

QString negativeCountMessage(int count)
{
    return QStringLiteral("The key count %1 is negative; a key ring holds 0 to 255 keys.").arg(count);
}

// What a strong ring tells without its password: its header. The keys, their count and the generation are sealed.
int checkStrong(const KeyRingReadResult& read, Console& console)
{
    console.out(QStringLiteral("Format: strong (XChaCha20-Poly1305 over the whole key table)"));
    if (read.status != KeyRingReadResult::Status::Ok) {
        console.err(read.message);
        return failed;
    }
    const KdfParameters& kdf = read.strong.kdf;
    console.out(QStringLiteral("Key derivation: Argon2id, %1 passes over %2 MiB")
                    .arg(kdf.passes)
                    .arg(double(kdf.memory) / (1 << 20), 0, 'g', 4));
    console.out(QStringLiteral("Sealed: %1 bytes; the keys need the master password").arg(read.sealed.size() -
                                                                                            strongRingHeaderSize));
    return done;
}

} // namespace

int checkCommand(const Invocation& invocation, Console& console)
{
    const QString& shownName = invocation.arguments.at(0);
    QByteArray data;
    QString reason;
    switch (readRegularFile(QDir(invocation.directory).filePath(shownName),
                            std::max(keyRingSizeLimit, strongRingSizeLimit), data, reason, Strangers::Allow)) {
    case FileReadStatus::Ok:
        break;
    case FileReadStatus::Missing:
        console.err(notKeyRingMessage(shownName));
        return failed;
    case FileReadStatus::Failed:
        console.err(QStringLiteral("Cannot read %1: %2").arg(shownName, reason));
        return failed;
    }
    const KeyRingReadResult read = parseKeyRing(data, shownName);

    console.out(QStringLiteral("File: %1 (%2 bytes)").arg(shownName).arg(data.size()));
    if (isStrongRing(data))
        return checkStrong(read, console);
    const bool magic = data.startsWith(keyRingMagic);
    if (magic)
        console.out(QStringLiteral("Format: classic (MD2 and RC4, as Tessary 0.1 writes)"));
    console.out(magic ? QStringLiteral("Magic: TESSARYv0.1A") : QStringLiteral("Magic: missing"));
    qint16 count = 0;
    if (magic && data.size() >= 30) {
        count = qFromLittleEndian<qint16>(data.constData() + 28);
        console.out(QStringLiteral("Key count: %1").arg(count));
        if (read.status != KeyRingReadResult::Status::TooManyEntries)
            console.out(QStringLiteral("Records read: %1").arg(read.table.keyCount()));
    }
    if (read.status == KeyRingReadResult::Status::Ok) {
        const qsizetype trailerEnd = recordsEnd(read.table) + keyRingReserved.size() + keyRingTrailer.size();
        console.out(QStringLiteral("Trailer: found, ending at byte %1").arg(trailerEnd));
        console.out(QStringLiteral("Bytes after the trailer: %1").arg(data.size() - trailerEnd));
        // The reader takes a negative count for none, but no writer ever stores one.
        if (count < 0) {
            console.err(negativeCountMessage(count));
            return failed;
        }
        return done;
    }
    if (read.status == KeyRingReadResult::Status::Damaged)
        console.out(QStringLiteral("Trailer: not found after the records"));
    console.err(read.message);
    return failed;
}

} // namespace tessary::cli
