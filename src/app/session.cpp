#include "app/session.h"

#include "crypto/wipe.h"

#include <QDir>

#include <utility>

namespace tessary {

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
    return saveKeyRing(m_ring, secret, error);
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
