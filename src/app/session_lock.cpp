// The lock and the log-out: what the login knew is forgotten and the key ring let go.
#include "app/session.h"

#include "crypto/wipe.h"
#include "storage/key_ring_format.h"
#include "storage/strong_ring_format.h"

namespace tessary {

void Session::forgetSecrets()
{
    resetSecret();
    m_ring.table.clear();
    // The master key by another name.
    wipe(m_ring.storedDigest);
    m_removed.forget();
}

bool Session::hasUnsavedChanges() const
{
    if (!m_loggedIn || isReadOnly())
        return false;
    // A file that cannot be read back holds nothing of this table; a table too long to write is the save's to
    // refuse.
    if (m_ring.format == KeyRingFormat::Strong) {
        const KeyRingReadResult stored = readKeyRing(m_ring.fileName);
        StrongContent content;
        if (stored.format != KeyRingFormat::Strong || !stored.usable() || !m_secret.sealingKey ||
            tessary::openStrongRing(stored.sealed, stored.strong, *m_secret.sealingKey, content) !=
                StrongOpen::Opened)
            return true;
        return !(content.table == m_ring.table);
    }
    QString reason;
    QByteArray held = serializeKeyRing(m_ring.table, m_ring.storedDigest, m_secret, &reason);
    QByteArray stored;
    const bool same =
        !held.isEmpty() &&
        readRegularFile(m_ring.fileName, keyRingSizeLimit, stored, reason, Strangers::Allow) == FileReadStatus::Ok &&
        stored == held;
    wipe(held);
    return !same;
}

bool Session::logOut(QString* error)
{
    if (!m_loggedIn)
        return true;
    QString reason;
    const bool saved = !hasUnsavedChanges() || save(&reason);
    forgetSecrets();
    m_lock.reset();
    m_ring = KeyRing{};
    m_userName.clear();
    m_loggedIn = false;
    m_olderThanRemembered = false;
    if (!saved && error)
        *error = lockUnsavedMessage(reason);
    return saved;
}

QString lockUnsavedMessage(const QString& reason)
{
    return QStringLiteral("%1\n\rThe key ring could not be saved before the lock; the changes since its last save "
                          "are lost.")
        .arg(reason);
}

} // namespace tessary
