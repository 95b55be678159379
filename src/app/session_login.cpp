// The login: the user's key ring locked, read and checked against the password, then taken over.
#include "app/session.h"

#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

#include <QFileInfo>

#include <utility>

namespace tessary {

Session::Outcome Session::login(const QString& userName, const QString& password, LockMode mode)
{
    // A character the code page lacks would turn into '?', which no password was made of.
    if (password.isEmpty() || !fitsCodePage(password))
        return incorrectPasswordOutcome();
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refusedOutcome(noFileNameMessage(userName));
    QByteArray secret = toCodePage(password);

    if (m_loggedIn && QFileInfo(path(fileName)) == QFileInfo(m_ring.fileName)) {
        // The same user again: the key ring in memory is newer than the file, so it is not read back.
        const bool same = isMasterPassword(secret);
        wipe(secret);
        if (!same)
            return incorrectPasswordOutcome();
        Outcome outcome;
        outcome.status = Outcome::Status::AlreadyLoggedIn;
        return outcome;
    }

    Opening opening;
    Outcome outcome = lockAndRead(userName, mode, true, secret, opening);
    if (outcome.status != Outcome::Status::LoggedIn) {
        wipe(secret);
        return outcome;
    }
    return checkAndTakeOver(std::move(opening), secret);
}

Session::Outcome Session::open(const QString& userName, LockMode mode, Opening& opening)
{
    return lockAndRead(userName, mode, false, {}, opening);
}

Session::Outcome Session::login(Opening&& opening, const QString& password)
{
    if (password.isEmpty() || !fitsCodePage(password))
        return incorrectPasswordOutcome(opening.read.warning());
    QByteArray secret = toCodePage(password);
    return checkAndTakeOver(std::move(opening), secret);
}

Session::Outcome Session::lockAndRead(const QString& userName, LockMode mode, bool createMissing,
                                      const QByteArray& password, Opening& opening)
{
    opening.userName = userName;
    opening.fileName = keyRingFileName(userName);
    if (opening.fileName.isEmpty())
        return refusedOutcome(noFileNameMessage(userName));
    opening.path = path(opening.fileName);

    if (mode == LockMode::Hold) {
        opening.lock = std::make_unique<FileLock>(opening.path);
        if (!opening.lock->tryLock())
            return refusedOutcome(opening.lock->refusal());
        if (const QString refusal = sharedRingRefusal(opening.path); !refusal.isEmpty())
            return refusedOutcome(refusal);
    }
    QString error;
    if (createMissing && !QFileInfo::exists(opening.path) && !QFileInfo(opening.path).isSymLink() &&
        !createKeyRing(opening.path, password, &error))
        return refusedOutcome(error);

    opening.read = readKeyRing(opening.path, opening.fileName);
    if (!opening.read.usable())
        return unusableKeyRingOutcome(opening.read);
    Outcome outcome;
    outcome.status = Outcome::Status::LoggedIn; // so far: the password is still to be checked
    return outcome;
}

Session::Outcome Session::checkAndTakeOver(Opening&& opening, QByteArray& password)
{
    const QString warning = opening.read.warning();
    KeyRing ring;
    MasterSecret secret;
    if (opening.read.format == KeyRingFormat::Strong) {
        Outcome opened = openStrongRing(opening.userName, opening.read, password, ring, secret);
        wipe(password);
        if (opened.status != Outcome::Status::LoggedIn)
            return opened;
    } else {
        const QByteArray digest = unlockKeyTable(opening.read.table, password, opening.read.storedDigest);
        if (digest.isEmpty() || digest != opening.read.storedDigest) {
            wipe(password);
            return incorrectPasswordOutcome(warning);
        }
        secret = MasterSecret{ownCopy(password), digest, nullptr};
        wipe(password);
        ring.storedDigest = std::move(opening.read.storedDigest);
        ring.table = std::move(opening.read.table);
        ring.readDamaged = opening.read.status == KeyRingReadResult::Status::Damaged;
    }
    ring.fileName = opening.path;
    ring.file = opening.read.file;
    Outcome outcome;
    checkGeneration(opening.userName, ring, outcome);
    const std::uint64_t opened = outcome.openedGeneration;
    const std::uint64_t remembered = outcome.rememberedGeneration;
    outcome = takeOver(opening.userName, std::move(secret), std::move(ring), std::move(opening.lock));
    if (outcome.succeeded()) {
        outcome.warning = warning;
        outcome.openedGeneration = opened;
        outcome.rememberedGeneration = remembered;
        m_olderThanRemembered = outcome.isOlder();
        m_rememberedGeneration = remembered;
    }
    return outcome;
}

Session::Outcome Session::takeOver(const QString& userName, MasterSecret&& secret, KeyRing&& ring,
                                   std::unique_ptr<FileLock> lock)
{
    QString error;
    // A read-only key ring has nothing to save: each change was refused.
    if (m_loggedIn && m_lock && !m_olderThanRemembered && !save(&error))
        return refusedOutcome(error);

    resetSecret();
    m_removed.forget(); // the last user's deleted key has no place in this one's ring
    m_secret = std::move(secret);
    m_userName = userName;
    m_ring = std::move(ring);
    m_lock = std::move(lock);
    m_loggedIn = true;
    m_olderThanRemembered = false;
    m_rememberedGeneration = 0;

    Outcome outcome;
    outcome.status = Outcome::Status::LoggedIn;
    return outcome;
}

void Session::resetSecret()
{
    wipe(m_secret.password);
    wipe(m_secret.key);
    m_secret.sealingKey.reset(); // its locked memory is zeroed as it is freed
}

QString incorrectPasswordMessage()
{
    return QStringLiteral("Incorrect Password!");
}

QString noFileNameMessage(const QString& userName)
{
    return QStringLiteral("The user name \"%1\" holds no letter, digit, \"-\", \"_\" or \"~\" to name a key ring file "
                          "after.")
        .arg(userName);
}

} // namespace tessary
