#pragma once

#include "storage/file_io.h"
#include "storage/key_cipher.h"
#include "storage/strong_ring_format.h"
#include "storage/key_table.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessary {

// The key ring file's layout: its fixed parts, reading it (from memory or from a file, as it is parsed) and
// writing it to bytes.

inline constexpr QByteArrayView keyRingMagic = "TESSARYv0.1A";
inline constexpr QByteArrayView keyRingReserved = "****************";
inline constexpr QByteArrayView keyRingTrailer = "Abracadabra --- The lights went out.";
inline constexpr qsizetype keyRingFieldLimit = 0xFFFF; // a field's length is stored in 16 bits
// The largest key ring there can be: 255 records of 42 bytes and five fields at the limit, and the fixed parts.
// Anything longer holds nothing a reader would look at, so it is refused before it is read.
inline constexpr qint64 keyRingSizeLimit = 12 + 16 + 2 + 255 * (42 + 5 * keyRingFieldLimit) + 16 + 36;

enum class KeyRingFormat {
    Classic, // the design's, which Tessary 0.1 reads: MD2 and RC4, no seal
    Strong,  // Argon2id and XChaCha20-Poly1305, the whole table one sealed text
};

// What reading a key ring found. The records stay enciphered (a strong ring: sealed); the caller checks the password
// first.
struct KeyRingReadResult
{
    enum class Status {
        Ok,
        Damaged,        // the records read are kept; work goes on after the message
        NotKeyRing,     // wrong magic, or a missing, empty or short file: the program ends after the message
        TooManyEntries, // a count above 255: the program ends after the message
        Unreadable,     // the file exists but is no regular file, is too large, or the system would not read it
    };

    Status status = Status::Ok;
    QString message; // the text to show, empty when Ok
    QByteArray storedDigest;
    KeyTable table;
    FileIdentity file; // which file was read (readKeyRing only)
    KeyRingFormat format = KeyRingFormat::Classic;
    QByteArray sealed;   // a strong ring: the whole file, to be opened once the password is known
    StrongHeader strong; // and its header

    bool mustEnd() const { return status == Status::NotKeyRing || status == Status::TooManyEntries; }
    bool usable() const { return status == Status::Ok || status == Status::Damaged; }
    // What a login tells the user besides its outcome: the damage found, if any.
    QString warning() const { return status == Status::Damaged ? message : QString(); }
};

// Both read either format; the messages quote `fileName` (or `shownName`, when the path is not what the user knows
// the file by). A strong ring whose header is not sound is Unreadable, its message naming what is wrong.
KeyRingReadResult parseKeyRing(QByteArrayView data, const QString& fileName);
KeyRingReadResult readKeyRing(const QString& fileName, const QString& shownName = {});

// The whole file as bytes, records enciphered under `secret` (the table itself stays clear). Empty, with
// `error` set, when a field is too long for its 16-bit length.
QByteArray serializeKeyRing(const KeyTable& table, QByteArrayView storedDigest, const MasterSecret& secret,
                            QString* error = nullptr);

QString notKeyRingMessage(const QString& fileName);
QString tooManyEntriesMessage(int count);
QString damagedKeyRingMessage();

} // namespace tessary
