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

Session::PasswordChange Session::changeMasterPassword(const QString& current, const QString& replacement)
{
    PasswordChange result;
    if (!m_loggedIn) {
        result.message = QStringLiteral("Nobody is logged in.");
        return result;
    }
    QByteArray typed = fitsCodePage(current) ? toCodePage(current) : QByteArray();
    const bool correct = !typed.isEmpty() && verifyPassword(typed, m_ring.storedDigest);
    wipe(typed);
    if (!correct) {
        result.status = PasswordChange::Status::IncorrectPassword;
        result.message = incorrectPasswordMessage();
        return result;
    }
    if (result.message = masterPasswordRefusal(replacement); !result.message.isEmpty()) {
        result.status = PasswordChange::Status::Unacceptable;
        return result;
    }

    MasterSecret secret;
    secret.password = toCodePage(replacement);
    secret.key = hashPassword(secret.password);
    // The salts stay: every key stream changes with the master key.
    const QByteArray oldDigest = m_ring.storedDigest;
    m_ring.storedDigest = secret.key;
    if (!saveUnder(secret, &result.message)) {
        m_ring.storedDigest = oldDigest;
        wipe(secret.password);
        wipe(secret.key);
        return result;
    }
    wipe(m_secret.password);
    wipe(m_secret.key);
    m_secret = std::move(secret);
    result.status = PasswordChange::Status::Changed;
    return result;
}

} // namespace tessary
