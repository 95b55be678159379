// The lock and the log-out: what the login knew is forgotten and the key ring let go.
#include "app/session.h"

#include "crypto/wipe.h"
#include "storage/key_ring_format.h"

namespace tessary {

void Session::forgetSecrets()
{
    wipe(m_secret.password);
    wipe(m_secret.key);
    m_ring.table.clear();
    // The master key by another name.
    wipe(m_ring.storedDigest);
    m_removed.forget();
}

bool Session::hasUnsavedChanges() const
{
    if (!m_loggedIn)
        return false;
    QString reason;
    QByteArray held = serializeKeyRing(m_ring.table, m_ring.storedDigest, m_secret, &reason);
    QByteArray stored;
    // A file that cannot be read back holds nothing of this table; a table too long to write is the save's to
    // refuse.
    const bool same =
        !held.isEmpty() &&
        readRegularFile(m_ring.fileName, keyRingSizeLimit, stored, reason, Strangers::Allow) == FileReadStatus::Ok &&
        stored == held;
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
