#include "app/session.h"

#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/user_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace tessary {

namespace {

const QString tessaryTitle = QStringLiteral("Tessary");

Session::Outcome refused(const QString& message, const QString& title = {}, bool mustEnd = false)
{
    Session::Outcome outcome;
    outcome.status = Session::Outcome::Status::Refused;
    outcome.message = message;
    outcome.title = title;
    outcome.mustEnd = mustEnd;
    return outcome;
}

Session::Outcome incorrectPassword(const QString& warning = {})
{
    Session::Outcome outcome;
    outcome.status = Session::Outcome::Status::IncorrectPassword;
    outcome.message = incorrectPasswordMessage();
    outcome.title = tessaryTitle;
    outcome.warning = warning;
    return outcome;
}

} // namespace

Session::Session(QString dataDirectory) : m_directory(std::move(dataDirectory)) {}

Session::~Session()
{
    wipe(m_secret.password);
    wipe(m_secret.key);
}

QString Session::path(const QString& bareName) const
{
    return QDir(m_directory).filePath(bareName);
}

Session::Outcome Session::login(const QString& userName, const QString& password, LockMode mode)
{
    if (password.isEmpty())
        return incorrectPassword();
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refused(noFileNameMessage(userName));
    QByteArray secret = toCodePage(password);
    const QString file = path(fileName);

    if (m_loggedIn && QFileInfo(file) == QFileInfo(m_ring.fileName)) {
        // The same user again: the key ring in memory is newer than the file, so it is not read back.
        if (!verifyPassword(secret, m_ring.storedDigest))
            return incorrectPassword();
        Outcome outcome;
        outcome.status = Outcome::Status::AlreadyLoggedIn;
        return outcome;
    }

    std::unique_ptr<KeyRingLock> lock;
    if (mode == LockMode::Hold) {
        lock = std::make_unique<KeyRingLock>(file);
        if (!lock->tryLock())
            return refused(lock->refusal());
    }

    QString error;
    if (!QFileInfo::exists(file) && !createKeyRing(file, secret, &error))
        return refused(error);

    KeyRingReadResult read = readKeyRing(file, fileName);
    if (!read.usable())
        return refused(read.message, tessaryTitle, read.mustEnd());
    const QString warning = read.status == KeyRingReadResult::Status::Damaged ? read.message : QString();

    const QByteArray digest = hashPassword(secret);
    if (digest.isEmpty() || digest != read.storedDigest) {
        wipe(secret);
        return incorrectPassword(warning);
    }
    Outcome outcome = takeOver(userName, secret, digest, std::move(read), file, std::move(lock));
    wipe(secret);
    if (outcome.succeeded())
        outcome.warning = warning;
    return outcome;
}

Session::Outcome Session::createUser(const QString& userName, const QString& password)
{
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refused(noFileNameMessage(userName));
    const QString file = path(fileName);
    if (QFileInfo::exists(file))
        return refused(userExistsMessage(fileName));
    QByteArray secret = toCodePage(password);
    if (secret.isEmpty())
        return refused(emptyMasterPasswordMessage());
    if (secret.size() > maximumMasterPasswordLength)
        return refused(longMasterPasswordMessage());

    auto lock = std::make_unique<KeyRingLock>(file);
    if (!lock->tryLock())
        return refused(lock->refusal());
    QString error;
    if (!createKeyRing(file, secret, &error))
        return refused(error);
    if (!appendUser(path(QString::fromLatin1(userListFileName)), userName, &error)) {
        QFile::remove(file); // a key ring nobody is listed for would block the name for good
        return refused(error);
    }

    KeyRingReadResult read = readKeyRing(file, fileName);
    if (!read.usable())
        return refused(read.message, tessaryTitle, read.mustEnd());
    const QByteArray digest = hashPassword(secret);
    if (digest != read.storedDigest)
        return refused(passwordMismatchMessage(), {}, true);
    Outcome outcome = takeOver(userName, secret, digest, std::move(read), file, std::move(lock));
    wipe(secret);
    return outcome;
}

Session::Outcome Session::takeOver(const QString& userName, const QByteArray& password, const QByteArray& digest,
                                   KeyRingReadResult&& read, const QString& path, std::unique_ptr<KeyRingLock> lock)
{
    QString error;
    if (m_loggedIn && m_lock && !save(&error))
        return refused(error);

    wipe(m_secret.password);
    wipe(m_secret.key);
    m_secret = MasterSecret{password, digest};
    m_userName = userName;
    m_ring.fileName = path;
    m_ring.storedDigest = std::move(read.storedDigest);
    m_ring.table = std::move(read.table);
    m_ring.readDamaged = read.status == KeyRingReadResult::Status::Damaged;
    cryptKeyTable(m_ring.table, m_secret);
    m_lock = std::move(lock);
    m_loggedIn = true;

    Outcome outcome;
    outcome.status = Outcome::Status::LoggedIn;
    return outcome;
}

bool Session::save(QString* error)
{
    if (!m_loggedIn) {
        if (error)
            *error = QStringLiteral("Nobody is logged in.");
        return false;
    }
    if (!m_lock)
        m_lock = std::make_unique<KeyRingLock>(m_ring.fileName);
    if (!m_lock->tryLock()) {
        if (error)
            *error = m_lock->refusal();
        return false;
    }
    return saveKeyRing(m_ring, m_secret, error);
}

bool Session::exportKeyRing(QString* error)
{
    const QString file = path(QString::fromLatin1(exportFileName));
    KeyRingLock lock(file);
    if (!lock.tryLock()) {
        if (error)
            *error = lock.refusal();
        return false;
    }
    return writeKeyRing(file, m_ring.table, m_ring.storedDigest, m_secret, error);
}

QString incorrectPasswordMessage()
{
    return QStringLiteral("Incorrect Password!");
}

QString userExistsMessage(const QString& fileName)
{
    return QStringLiteral("User already exists! (%1)").arg(fileName);
}

QString noFileNameMessage(const QString& userName)
{
    return QStringLiteral("The user name \"%1\" holds no letter, digit, \"-\", \"_\" or \"~\" to name a key ring file "
                          "after.")
        .arg(userName);
}

QString passwordMismatchMessage()
{
    return QStringLiteral("Argh! Evil Error! Evil! Evil! Your password is not the same as your password! (Or so it "
                          "seems... Don't ask) Perhaps a read/write error?");
}

} // namespace tessary
