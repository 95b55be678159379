#include "app/session.h"

#include "app/generation_memory.h"
#include "crypto/wipe.h"
#include "storage/user_list.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

#include <utility>

namespace tessary {

Session::Session(QString dataDirectory) : m_directory(std::move(dataDirectory)) {}

Session::~Session()
{
    forgetSecrets();
}

QString Session::path(const QString& bareName) const
{
    return QDir(m_directory).filePath(bareName);
}

bool Session::save(QString* error)
{
    return saveUnder(m_secret, error);
}

bool Session::saveUnder(const MasterSecret& secret, QString* error)
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
    if (const QString refusal = sharedRingRefusal(m_ring.fileName); !refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    if (m_olderThanRemembered) {
        if (error)
            *error = readOnlyKeyRingMessage();
        return false;
    }
    if (!saveKeyRing(m_ring, secret, error))
        return false;
    if (m_ring.format == KeyRingFormat::Strong)
        keepGeneration(m_userName, m_ring.fileName, m_ring.generation);
    return true;
}

void Session::keepGeneration(const QString& userName, const QString& ringPath, std::uint64_t generation)
{
    if (!rememberGeneration(userName, ringPath, generation))
        m_generationWarning = generationNotKeptMessage(ringPath);
}

bool Session::isMasterPassword(QByteArrayView typed) const
{
    return m_loggedIn && sameSecret(typed, m_secret.password);
}

void Session::acceptOlderKeyRing()
{
    if (!m_olderThanRemembered)
        return;
    // Carried on from the newest generation seen, so that the next save is the newest again; a classic ring taken
    // back has none, and none is expected of it from now on.
    m_ring.generation = std::max(m_ring.generation, m_rememberedGeneration);
    if (m_ring.format == KeyRingFormat::Classic)
        forgetGeneration(m_userName, m_ring.fileName);
    m_olderThanRemembered = false;
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
    const QByteArray bytes = keyRingBytes(m_ring, m_secret, m_ring.generation, error);
    return !bytes.isEmpty() && writeKeyRingBytes(file, bytes, error);
}

QString olderKeyRingMessage(std::uint64_t opened, std::uint64_t remembered)
{
    return QStringLiteral("This key ring is older than the one last saved here (generation %1 < %2).")
        .arg(opened)
        .arg(remembered);
}

QString readOnlyKeyRingMessage()
{
    return QStringLiteral("The key ring is open read-only: it is older than the one last saved here, and nothing is "
                          "written over the newer one until you accept it.");
}

QString Session::sharedRingRefusal(const QString& ringPath) const
{
    const QFileInfo ring(ringPath);
    const QString target = ring.isSymLink() ? ring.canonicalFilePath() : QString();
    if (target.isEmpty())
        return {};
    // Another file of the data folder (another ring, the user list, the export), or another listed user's ring
    // kept elsewhere: a save through the link would put this user's keys in its place.
    const QFileInfo targetInfo(target);
    bool shared =
        targetInfo.absolutePath() == QDir(m_directory).canonicalPath() && targetInfo.fileName() != ring.fileName();
    for (const QString& name :
         readUserList(path(QString::fromLatin1(userListFileName)), std::numeric_limits<int>::max())) {
        const QString other = keyRingFileName(name);
        if (!shared && !other.isEmpty() && other != ring.fileName())
            shared = QFileInfo(path(other)).canonicalFilePath() == target;
    }
    if (!shared)
        return {};
    return QStringLiteral("%1 is a link to %2, which is not this user's key ring; nothing is written through it.")
        .arg(ring.fileName(), target);
}

Session::Outcome refusedOutcome(const QString& message, bool mustEnd)
{
    Session::Outcome outcome;
    outcome.status = Session::Outcome::Status::Refused;
    outcome.message = message;
    outcome.mustEnd = mustEnd;
    return outcome;
}

Session::Outcome incorrectPasswordOutcome(const QString& warning)
{
    Session::Outcome outcome;
    outcome.status = Session::Outcome::Status::IncorrectPassword;
    outcome.message = incorrectPasswordMessage();
    outcome.warning = warning;
    return outcome;
}

Session::Outcome unusableKeyRingOutcome(const KeyRingReadResult& read)
{
    Session::Outcome outcome;
    outcome.status = Session::Outcome::Status::UnusableKeyRing;
    outcome.message = read.message;
    outcome.mustEnd = read.mustEnd();
    return outcome;
}

} // namespace tessary
