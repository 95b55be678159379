#include "app/conversion_notes.h"

#include "app/session.h"
#include "storage/key_ring_file.h"

#include <QFile>
#include <QFileInfo>

namespace tessary {

QString convertedMessage(const KeyRing& ring)
{
    const QString name = QFileInfo(ring.fileName).fileName();
    if (ring.format == KeyRingFormat::Classic)
        return QStringLiteral("%1 is now in the classic format, which Tessary 0.1 opens: MD2 and RC4, no seal.")
            .arg(name);
    return QStringLiteral("%1 is now a strong key ring: Argon2id (%2 passes over %3 MiB) and XChaCha20-Poly1305.")
        .arg(name)
        .arg(ring.kdf.passes)
        .arg(ring.kdf.memory >> 20);
}

QStringList classicCopies(const Session& session, const QByteArray& oldDigest)
{
    QStringList copies;
    const QString exported = session.path(QString::fromLatin1(exportFileName));
    const KeyRingReadResult read = readKeyRing(exported, QString::fromLatin1(exportFileName));
    // The export is shared by every user: only this user's own is this user's to remove.
    if (read.format == KeyRingFormat::Classic && read.usable() && !oldDigest.isEmpty() &&
        read.storedDigest == oldDigest)
        copies.append(exported);
    const QString backup = session.keyRing().fileName + QStringLiteral(".bak");
    if (QFileInfo::exists(backup))
        copies.append(backup);
    return copies;
}

bool removeCopy(const QString& path, QString* why)
{
    QFile file(path);
    if (file.remove())
        return true;
    *why = file.errorString();
    return false;
}

QString olderCopiesMessage(const QString& ringName, const QStringList& copyNames)
{
    return QStringLiteral("Older copies are still in the classic format, under the old master password: %1any backup "
                          "you made of %2.")
        .arg(copyNames.isEmpty() ? QString() : copyNames.join(QStringLiteral(", ")) + QStringLiteral(" and "),
             ringName);
}

} // namespace tessary
