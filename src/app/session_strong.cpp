// The strong key ring in the session: its seal opened at the login, its generation checked against the one
// remembered, and the conversions between the two formats.
#include "app/session.h"

#include "app/generation_memory.h"
#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

#include <utility>

namespace tessary {

std::shared_ptr<const LockedBytes> Session::sealingKey(QByteArrayView password, const KdfParameters& kdf)
{
    auto key = std::make_shared<LockedBytes>(sealingKeySize);
    bool made = false;
    m_slowWork([&] { made = deriveKey(password, kdf, *key); });
    return made ? std::move(key) : nullptr;
}

Session::Outcome Session::openStrongRing(const QString& userName, KeyRingReadResult& read, const QByteArray& password,
                                         KeyRing& ring, MasterSecret& secret)
{
    std::shared_ptr<const LockedBytes> key = sealingKey(password, read.strong.kdf);
    if (!key)
        return refusedOutcome(QStringLiteral("The key ring's key cannot be made: its key derivation asks for %1 MiB of "
                                             "memory, which this computer cannot give.")
                                  .arg(read.strong.kdf.memory >> 20));
    StrongContent content;
    QString malformed;
    switch (tessary::openStrongRing(read.sealed, read.strong, *key, content, &malformed)) {
    case StrongOpen::WrongKey:
        // A wrong password and a changed file look the same from here; nothing tells which.
        return incorrectPasswordOutcome();
    case StrongOpen::Malformed:
        return refusedOutcome(
            QStringLiteral("The key ring is sealed with this password, but %1. Nothing was read.").arg(malformed));
    case StrongOpen::Opened:
        break;
    }
    if (content.owner != toCodePage(userName))
        return refusedOutcome(QStringLiteral("This key ring is the user %1's, not %2's: it was put in place of %2's. "
                                             "Nothing was read.")
                                  .arg(fromCodePage(content.owner), userName));
    wipe(read.sealed);
    ring.format = KeyRingFormat::Strong;
    ring.owner = std::move(content.owner);
    ring.kdf = read.strong.kdf;
    ring.generation = content.generation;
    ring.table = std::move(content.table);
    secret = MasterSecret{ownCopy(password), {}, std::move(key)};
    Outcome outcome;
    outcome.status = Outcome::Status::LoggedIn;
    return outcome;
}

void Session::checkGeneration(const QString& userName, const KeyRing& ring, Outcome& outcome)
{
    // A classic ring where a strong one was saved is an older copy put back too: generation 0.
    outcome.openedGeneration = ring.format == KeyRingFormat::Strong ? ring.generation : 0;
    outcome.rememberedGeneration = rememberedGeneration(userName, ring.fileName);
    if (!outcome.isOlder()) {
        if (ring.format == KeyRingFormat::Strong)
            keepGeneration(userName, ring.fileName, ring.generation);
        outcome.rememberedGeneration = 0;
    }
}

Session::PasswordChange Session::convertKeyRing(const QString& current, KeyRingFormat target)
{
    PasswordChange result;
    if (!confirmsMasterPassword(current, result))
        return result;
    if (target == m_ring.format) {
        result.status = PasswordChange::Status::Unacceptable;
        result.message = target == KeyRingFormat::Strong
                             ? QStringLiteral("The key ring is a strong one already.")
                             : QStringLiteral("The key ring is in the classic format already.");
        return result;
    }
    if (m_olderThanRemembered) {
        result.message = readOnlyKeyRingMessage();
        return result;
    }

    MasterSecret secret{ownCopy(m_secret.password), {}, nullptr};
    KeyRing before;
    before.format = m_ring.format;
    before.storedDigest = m_ring.storedDigest;
    before.owner = m_ring.owner;
    before.kdf = m_ring.kdf;
    before.generation = m_ring.generation;
    if (target == KeyRingFormat::Strong) {
        m_ring.kdf = freshKdf();
        secret.sealingKey = sealingKey(secret.password, m_ring.kdf);
        if (!secret.sealingKey) {
            m_ring.kdf = before.kdf;
            wipe(secret.password);
            result.message = QStringLiteral("There is no memory to make the key ring's key.");
            return result;
        }
        m_ring.owner = toCodePage(m_userName);
        // On from any generation saved here before, so that an older strong copy is still noticed.
        m_ring.generation = rememberedGeneration(m_userName, m_ring.fileName);
        m_ring.storedDigest.clear();
    } else {
        secret.key = hashPassword(secret.password);
        m_ring.storedDigest = secret.key;
    }
    m_ring.format = target;
    if (!saveUnder(secret, &result.message)) {
        m_ring.format = before.format;
        m_ring.storedDigest = before.storedDigest;
        m_ring.owner = before.owner;
        m_ring.kdf = before.kdf;
        m_ring.generation = before.generation;
        wipe(secret.password);
        wipe(secret.key);
        return result;
    }
    if (target == KeyRingFormat::Classic)
        forgetGeneration(m_userName, m_ring.fileName);
    resetSecret();
    m_secret = std::move(secret);
    result.status = PasswordChange::Status::Changed;
    return result;
}

} // namespace tessary
