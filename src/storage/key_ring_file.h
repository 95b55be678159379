#pragma once

#include "storage/key_cipher.h"
#include "storage/key_table.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessary {

inline constexpr QByteArrayView keyRingMagic = "TESSARYv0.1A";
inline constexpr QByteArrayView keyRingReserved = "****************";
inline constexpr QByteArrayView keyRingTrailer = "Abracadabra --- The lights went out.";
inline constexpr qsizetype keyRingFieldLimit = 0xFFFF; // a field's length is stored in 16 bits
// The largest key ring there can be: 255 records of 42 bytes and five fields at the limit, and the fixed parts.
// Anything longer holds nothing a reader would look at, so it is refused before it is read.
inline constexpr qint64 keyRingSizeLimit = 12 + 16 + 2 + 255 * (42 + 5 * keyRingFieldLimit) + 16 + 36;
// Longest master password whose field key texts (password, digest, chain digest, tag) still fit RC4's 256 bytes.
inline constexpr qsizetype maximumMasterPasswordLength = 216;

// The export's file, in the data folder beside the key rings.
inline constexpr char exportFileName[] = "tessary.keyRing";

// The key ring file name for a user name: the letters, digits and "-_~" of the name, then ".keyRing"; empty when
// the name has none of them.
QString keyRingFileName(const QString& userName);

// What reading a key ring found. The records stay enciphered; the caller checks the password first.
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

    bool mustEnd() const { return status == Status::NotKeyRing || status == Status::TooManyEntries; }
    bool usable() const { return status == Status::Ok || status == Status::Damaged; }
    // What a login tells the user besides its outcome: the damage found, if any.
    QString warning() const { return status == Status::Damaged ? message : QString(); }
};

// Both read the same layout; the messages quote `fileName` (or `shownName`, when the path is not what the user
// knows the file by).
KeyRingReadResult parseKeyRing(QByteArrayView data, const QString& fileName);
KeyRingReadResult readKeyRing(const QString& fileName, const QString& shownName = {});

// The whole file as bytes, records enciphered under `secret` (the table itself stays clear). Empty, with
// `error` set, when a field is too long for its 16-bit length.
QByteArray serializeKeyRing(const KeyTable& table, QByteArrayView storedDigest, const MasterSecret& secret,
                            QString* error = nullptr);

// Replaces the file atomically: the old file stays whole unless the new one reached the disk in full. The file is
// readable and writable by its owner only.
bool writeKeyRingBytes(const QString& fileName, const QByteArray& bytes, QString* error = nullptr);
bool writeKeyRing(const QString& fileName, const KeyTable& table, QByteArrayView storedDigest,
                  const MasterSecret& secret, QString* error = nullptr);

// Writes a new, empty key ring for `password` (code-page bytes). Refuses an existing file, an empty password and
// one longer than maximumMasterPasswordLength.
bool createKeyRing(const QString& fileName, QByteArrayView password, QString* error = nullptr);

// A key ring as the program holds it while a user is logged in.
struct KeyRing
{
    QString fileName;
    QByteArray storedDigest;
    KeyTable table;
    bool readDamaged = false; // read with the damage warning: keep the original before the first save over it
};

// writeKeyRing of the key ring to its own file; the first save over a damaged file first copies the original to
// "<file>.bak" (owner read and write only, as the key ring).
bool saveKeyRing(KeyRing& ring, const MasterSecret& secret, QString* error = nullptr);

QString notKeyRingMessage(const QString& fileName);
QString tooManyEntriesMessage(int count);
QString damagedKeyRingMessage();
QString emptyMasterPasswordMessage();
QString longMasterPasswordMessage();

} // namespace tessary
