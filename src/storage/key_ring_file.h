#pragma once

#include "storage/file_io.h"
#include "storage/key_ring_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessary {

// Key ring files on disk: their names, their creation, and the saves that replace them.

// Longest master password whose field key texts (password, digest, chain digest, tag) still fit RC4's 256 bytes.
inline constexpr qsizetype maximumMasterPasswordLength = 216;

// The export's file, in the data folder beside the key rings.
inline constexpr char exportFileName[] = "tessary.keyRing";

// The key ring file name for a user name: the letters, digits and "-_~" of the name, then ".keyRing"; empty when
// the name has none of them.
QString keyRingFileName(const QString& userName);

// Replaces the file atomically: the old file stays whole unless the new one reached the disk in full. The file is
// readable and writable by its owner only. writeKeyRing writes no file through a symbolic link.
bool writeKeyRingBytes(const QString& fileName, const QByteArray& bytes, QString* error = nullptr,
                       const SaveOptions& options = {}, FileIdentity* written = nullptr);
bool writeKeyRing(const QString& fileName, const KeyTable& table, QByteArrayView storedDigest,
                  const MasterSecret& secret, QString* error = nullptr, const SaveOptions& options = {});

// Writes a new, empty key ring for `password` (code-page bytes). Refuses an existing file (the file is created
// exclusively, so one that appears meanwhile is not replaced either), an empty password and one longer than
// maximumMasterPasswordLength.
bool createKeyRing(const QString& fileName, QByteArrayView password, QString* error = nullptr);

// A key ring as the program holds it while a user is logged in.
struct KeyRing
{
    QString fileName;
    QByteArray storedDigest;
    KeyTable table;
    bool readDamaged = false; // read with the damage warning: keep the original before the first save over it
    FileIdentity file;        // the file read, then the one last saved: the only one a save may replace
    KeyRingFormat format = KeyRingFormat::Classic;
    // A strong ring's: whose it is, how its key is made, and how many saves it has seen.
    QByteArray owner;
    KdfParameters kdf;
    std::uint64_t generation = 0;
};

// The bytes of the key ring in its own format: a strong ring sealed as generation `generation` under the secret's
// sealing key, a classic one enciphered under the secret. Empty, with `error` set, when it cannot be written.
QByteArray keyRingBytes(const KeyRing& ring, const MasterSecret& secret, std::uint64_t generation,
                        QString* error = nullptr);

// A new, empty strong key ring for `owner`, sealed under `key` (made by `kdf`); created exclusively, as
// createKeyRing does.
bool createStrongKeyRing(const QString& fileName, QByteArrayView owner, const KdfParameters& kdf,
                         const LockedBytes& key, QString* error = nullptr);

// The key ring written to its own file in its own format (a strong ring one generation on), which may be a link to where the user keeps it; the first save over
// a damaged file first copies the original to "<file>.bak" (owner read and write only, as the key ring, and never
// through a link). The name must still lead to `ring.file`: a file put there since it was read, or a link that
// appeared since, is refused and nothing is written.
bool saveKeyRing(KeyRing& ring, const MasterSecret& secret, QString* error = nullptr);

QString emptyMasterPasswordMessage();
QString longMasterPasswordMessage();

} // namespace tessary
