#include "storage/key_ring_file.h"

#include "crypto/password_hash.h"
#include "storage/file_io.h"

#include <QFileInfo>

namespace tessary {

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

QString keyRingFileName(const QString& userName)
{
    static const QString allowed = QStringLiteral("abcdefghijklmnopqrstuvwxyz1234567890-_~");
    QString result;
    for (const QChar c : userName) {
        // Only ASCII: some other characters (the Kelvin sign) lower-case into an ASCII letter.
        if (c.unicode() < 0x80 && allowed.contains(c.toLower()))
            result.append(c);
    }
    if (!result.isEmpty())
        result.append(QStringLiteral(".keyRing"));
    return result;
}

bool writeKeyRingBytes(const QString& fileName, const QByteArray& bytes, QString* error, const SaveOptions& options,
                       FileIdentity* written)
{
    QString reason;
    if (!replaceFile(fileName, bytes, reason, options, written))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(fileName, reason));
    return true;
}

bool writeKeyRing(const QString& fileName, const KeyTable& table, QByteArrayView storedDigest,
                  const MasterSecret& secret, QString* error, const SaveOptions& options)
{
    const QByteArray bytes = serializeKeyRing(table, storedDigest, secret, error);
    return !bytes.isEmpty() && writeKeyRingBytes(fileName, bytes, error, options);
}

bool createKeyRing(const QString& fileName, QByteArrayView password, QString* error)
{
    if (password.isEmpty())
        return fail(error, emptyMasterPasswordMessage());
    if (password.size() > maximumMasterPasswordLength)
        return fail(error, longMasterPasswordMessage());
    if (QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink())
        return fail(error, QStringLiteral("%1 already exists.").arg(fileName));
    SaveOptions exclusive;
    exclusive.createOnly = true;
    return writeKeyRing(fileName, KeyTable{}, hashPassword(password), MasterSecret{}, error, exclusive);
}

QByteArray keyRingBytes(const KeyRing& ring, const MasterSecret& secret, std::uint64_t generation, QString* error)
{
    if (ring.format == KeyRingFormat::Classic)
        return serializeKeyRing(ring.table, ring.storedDigest, secret, error);
    if (!secret.sealingKey) {
        fail(error, QStringLiteral("There is no key to seal %1 with.").arg(ring.fileName));
        return {};
    }
    return sealStrongRing(generation, ring.owner, ring.table, ring.kdf, *secret.sealingKey, error);
}

bool createStrongKeyRing(const QString& fileName, QByteArrayView owner, const KdfParameters& kdf,
                         const LockedBytes& key, QString* error)
{
    if (QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink())
        return fail(error, QStringLiteral("%1 already exists.").arg(fileName));
    const QByteArray bytes = sealStrongRing(1, owner, KeyTable{}, kdf, key, error);
    SaveOptions exclusive;
    exclusive.createOnly = true;
    return !bytes.isEmpty() && writeKeyRingBytes(fileName, bytes, error, exclusive);
}

bool saveKeyRing(KeyRing& ring, const MasterSecret& secret, QString* error)
{
    const QByteArray bytes = keyRingBytes(ring, secret, ring.generation + 1, error);
    if (bytes.isEmpty())
        return false;
    if (ring.readDamaged) {
        const QString backup = ring.fileName + QStringLiteral(".bak");
        QByteArray original;
        QString reason;
        const FileReadStatus read = readRegularFile(ring.fileName, keyRingSizeLimit, original, reason);
        if (read == FileReadStatus::Failed || (read == FileReadStatus::Ok && !replaceFile(backup, original, reason)))
            return fail(error, QStringLiteral("Cannot keep a copy of the damaged %1 as %2 (%3); nothing was saved.")
                                   .arg(ring.fileName, backup, reason));
    }
    SaveOptions options;
    options.links = Links::Follow;
    options.expected = ring.file;
    const FileIdentity before = ring.file;
    const bool saved = writeKeyRingBytes(ring.fileName, bytes, error, options, &ring.file);
    // A save that failed after its rename still put this generation in place.
    if (ring.format == KeyRingFormat::Strong && !ring.file.isSameFile(before))
        ++ring.generation;
    if (!saved)
        return false;
    ring.readDamaged = false;
    return true;
}

QString emptyMasterPasswordMessage()
{
    return QStringLiteral("The master password must not be empty.");
}

QString longMasterPasswordMessage()
{
    return QStringLiteral("The master password may be at most %1 characters long.").arg(maximumMasterPasswordLength);
}

} // namespace tessary
