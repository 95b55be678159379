// Changes of passwords: a key's, and the master password the whole key ring is enciphered under.
#include "app/session.h"

#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"

#include <utility>

namespace tessary {

bool Session::changeKeyPassword(int slotNumber, QByteArrayView password, QString* error)
{
    if (!m_loggedIn || slotNumber < 1 || slotNumber > m_ring.table.keyCount()) {
        if (error)
            *error = QStringLiteral("There is no such key.");
        return false;
    }
    KeyRecord before = ownCopy(m_ring.table.slot(slotNumber));
    KeyChange change;
    change.password = passwordBuffer(password);
    const bool changed = m_ring.table.changeKey(slotNumber, change);
    wipe(*change.password);
    bool saved = !changed || save(error);
    if (!saved)
        m_ring.table.slot(slotNumber) = std::move(before);
    wipe(before.password);
    return saved;
}

bool Session::confirmsMasterPassword(const QString& current, PasswordChange& result) const
{
    if (!m_loggedIn) {
        result.message = QStringLiteral("Nobody is logged in.");
        return false;
    }
    QByteArray typed = fitsCodePage(current) ? toCodePage(current) : QByteArray();
    const bool correct = !typed.isEmpty() && isMasterPassword(typed);
    wipe(typed);
    if (!correct) {
        result.status = PasswordChange::Status::IncorrectPassword;
        result.message = incorrectPasswordMessage();
    }
    return correct;
}

Session::PasswordChange Session::changeMasterPassword(const QString& current, const QString& replacement)
{
    PasswordChange result;
    if (!confirmsMasterPassword(current, result))
        return result;
    if (result.message = masterPasswordRefusal(replacement); !result.message.isEmpty()) {
        result.status = PasswordChange::Status::Unacceptable;
        return result;
    }

    MasterSecret secret;
    secret.password = toCodePage(replacement);
    const QByteArray oldDigest = m_ring.storedDigest;
    const KdfParameters oldKdf = m_ring.kdf;
    if (m_ring.format == KeyRingFormat::Strong) {
        // A new salt as well: the new key shares nothing with the old one.
        m_ring.kdf = freshKdf();
        secret.sealingKey = sealingKey(secret.password, m_ring.kdf);
        if (!secret.sealingKey) {
            m_ring.kdf = oldKdf;
            wipe(secret.password);
            result.message = QStringLiteral("There is no memory to make the key ring's key.");
            return result;
        }
    } else {
        // The salts stay: every key stream changes with the master key.
        secret.key = hashPassword(secret.password);
        m_ring.storedDigest = secret.key;
    }
    if (!saveUnder(secret, &result.message)) {
        m_ring.storedDigest = oldDigest;
        m_ring.kdf = oldKdf;
        wipe(secret.password);
        wipe(secret.key);
        return result;
    }
    resetSecret();
    m_secret = std::move(secret);
    result.status = PasswordChange::Status::Changed;
    return result;
}

} // namespace tessary
