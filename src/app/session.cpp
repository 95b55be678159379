#include "app/session.h"

#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/file_io.h"
#include "storage/user_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
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
    // A character the code page lacks would turn into '?', which no password was made of.
    if (password.isEmpty() || !fitsCodePage(password))
        return incorrectPassword();
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refused(noFileNameMessage(userName));
    QByteArray secret = toCodePage(password);

    if (m_loggedIn && QFileInfo(path(fileName)) == QFileInfo(m_ring.fileName)) {
        // The same user again: the key ring in memory is newer than the file, so it is not read back.
        const bool same = verifyPassword(secret, m_ring.storedDigest);
        wipe(secret);
        if (!same)
            return incorrectPassword();
        Outcome outcome;
        outcome.status = Outcome::Status::AlreadyLoggedIn;
        return outcome;
    }

    Opening opening;
    Outcome outcome = lockAndRead(userName, mode, true, secret, opening);
    if (outcome.status == Outcome::Status::Refused) {
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
        return incorrectPassword(opening.read.warning());
    QByteArray secret = toCodePage(password);
    return checkAndTakeOver(std::move(opening), secret);
}

Session::Outcome Session::lockAndRead(const QString& userName, LockMode mode, bool createMissing,
                                      const QByteArray& password, Opening& opening)
{
    opening.userName = userName;
    opening.fileName = keyRingFileName(userName);
    if (opening.fileName.isEmpty())
        return refused(noFileNameMessage(userName));
    opening.path = path(opening.fileName);

    if (mode == LockMode::Hold) {
        opening.lock = std::make_unique<FileLock>(opening.path);
        if (!opening.lock->tryLock())
            return refused(opening.lock->refusal());
    }
    QString error;
    if (createMissing && !QFileInfo::exists(opening.path) && !QFileInfo(opening.path).isSymLink() &&
        !createKeyRing(opening.path, password, &error))
        return refused(error);

    opening.read = readKeyRing(opening.path, opening.fileName);
    if (!opening.read.usable())
        return refused(opening.read.message, tessaryTitle, opening.read.mustEnd());
    Outcome outcome;
    outcome.status = Outcome::Status::LoggedIn; // so far: the password is still to be checked
    return outcome;
}

Session::Outcome Session::checkAndTakeOver(Opening&& opening, QByteArray& password)
{
    const QString warning = opening.read.warning();
    const QByteArray digest = unlockKeyTable(opening.read.table, password, opening.read.storedDigest);
    if (digest.isEmpty() || digest != opening.read.storedDigest) {
        wipe(password);
        return incorrectPassword(warning);
    }
    Outcome outcome = takeOver(opening.userName, password, digest, std::move(opening.read), opening.path,
                               std::move(opening.lock));
    wipe(password);
    if (outcome.succeeded())
        outcome.warning = warning;
    return outcome;
}

Session::Outcome Session::createUser(const QString& userName, const QString& password)
{
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refused(noFileNameMessage(userName));
    if (const QString refusal = userNameRefusal(userName); !refusal.isEmpty())
        return refused(refusal);
    const QString file = path(fileName);
    if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
        return refused(userExistsMessage(fileName));
    if (const QString refusal = masterPasswordRefusal(password); !refusal.isEmpty())
        return refused(refusal);
    QByteArray secret = toCodePage(password);

    auto lock = std::make_unique<FileLock>(file);
    if (!lock->tryLock())
        return refused(lock->refusal());
    // The name is listed first: a key ring nobody is listed for would block the name for good, while a listed
    // user without one gets it at the first login.
    QString error;
    if (!listUser(userName, fileName, &error)) {
        wipe(secret);
        return refused(error);
    }
    if (!createKeyRing(file, secret, &error)) {
        wipe(secret);
        return refused(error);
    }

    KeyRingReadResult read = readKeyRing(file, fileName);
    if (!read.usable()) {
        wipe(secret);
        return refused(read.message, tessaryTitle, read.mustEnd());
    }
    const QByteArray digest = unlockKeyTable(read.table, secret, read.storedDigest);
    if (digest != read.storedDigest) {
        wipe(secret);
        return refused(passwordMismatchMessage(), {}, true);
    }
    Outcome outcome = takeOver(userName, secret, digest, std::move(read), file, std::move(lock));
    wipe(secret);
    return outcome;
}

bool Session::listUser(const QString& userName, const QString& fileName, QString* error)
{
    const QString listPath = path(QString::fromLatin1(userListFileName));
    // The list is rewritten whole, so two programs adding users at once take turns.
    FileLock listLock(listPath);
    if (!listLock.tryLock(std::chrono::seconds(5))) {
        if (error)
            *error = listLock.refusal();
        return false;
    }
    QByteArray list;
    QString reason;
    if (readRegularFile(listPath, userListSizeLimit, list, reason) == FileReadStatus::Failed) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(listPath, reason);
        return false;
    }
    const QStringList listed = parseUserList(list, std::numeric_limits<int>::max());
    for (const QString& name : listed) {
        if (name == userName)
            return true; // listed by a creation that stopped before its key ring was made
        if (keyRingFileName(name) == fileName) {
            if (error)
                *error = userExistsMessage(fileName);
            return false;
        }
    }
    return appendUser(listPath, userName, error);
}

Session::Outcome Session::takeOver(const QString& userName, const QByteArray& password, const QByteArray& digest,
                                   KeyRingReadResult&& read, const QString& path, std::unique_ptr<FileLock> lock)
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
        m_lock = std::make_unique<FileLock>(m_ring.fileName);
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
    FileLock lock(file);
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

QString userNameRefusal(const QString& userName)
{
    // The user list quotes each name on a line of its own and does not escape a quote.
    for (const QChar c : userName) {
        if (c == QLatin1Char('"') || c.category() == QChar::Other_Control)
            return QStringLiteral("A user name may not hold a double quote, a line break or another control "
                                  "character.");
    }
    if (!fitsCodePage(userName))
        return QStringLiteral("The user name holds characters the user list cannot store.");
    if (keyRingFileName(userName).compare(QLatin1String(exportFileName), Qt::CaseInsensitive) == 0)
        return QStringLiteral("The user name %1 would share its key ring with the export file %2; choose another.")
            .arg(userName, QLatin1String(exportFileName));
    return {};
}

QString masterPasswordRefusal(const QString& password)
{
    if (password.isEmpty())
        return emptyMasterPasswordMessage();
    if (!fitsCodePage(password))
        return QStringLiteral("The master password holds characters a key ring cannot store; use letters, digits "
                              "and the punctuation of Western European languages.");
    if (toCodePage(password).size() > maximumMasterPasswordLength)
        return longMasterPasswordMessage();
    return {};
}

QString passwordMismatchMessage()
{
    return QStringLiteral("Argh! Evil Error! Evil! Evil! Your password is not the same as your password! (Or so it "
                          "seems... Don't ask) Perhaps a read/write error?");
}

} // namespace tessary
