#include "storage/file_lock.h"

#include "storage/file_io.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace tessary {

namespace {

// A lock file is written right after it is made; one still empty a moment later never will be.
constexpr std::chrono::seconds unwrittenGrace{2};

} // namespace

FileLock::FileLock(const QString& lockedPath)
    : m_shownName(QFileInfo(lockedPath).fileName()), m_lockPath(lockedPath + QStringLiteral(".lock")),
      m_lock(m_lockPath)
{
    // The desktop program holds its lock for hours; only a dead holder makes a lock stale, never its age.
    m_lock.setStaleLockTime(0);
}

bool FileLock::tryLock(std::chrono::milliseconds wait)
{
    m_refusal.clear();
    if (m_lock.isLocked() || m_lock.tryLock(wait))
        return true;
    if (m_lock.error() == QLockFile::LockFailedError && holderIsGone()) {
        if (::unlink(QFile::encodeName(m_lockPath).constData()) != 0 && errno != ENOENT) {
            m_refusal = QStringLiteral("Cannot take over the lock %1 that no running program holds: %2.")
                            .arg(m_lockPath, systemReason(errno));
            return false;
        }
        if (m_lock.tryLock(wait))
            return true;
    }
    m_refusal = m_lock.error() == QLockFile::LockFailedError ? keyRingInUseMessage(m_shownName)
                                                             : reasonForFailure();
    return false;
}

bool FileLock::holderIsGone() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock.getLockInfo(&pid, &host, &application)) {
        // A holder on another machine sharing the folder cannot be asked; it keeps its lock.
        if (host != QSysInfo::machineHostName())
            return false;
        return pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
    }
    // Empty or garbled: a writer killed between making the file and filling it.
    const QFileInfo info(m_lockPath);
    if (!info.exists())
        return false;
    const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
    return std::chrono::milliseconds(age) >= unwrittenGrace;
}

// QLockFile says only that it failed; making a lock file of our own the same way finds out why.
QString FileLock::reasonForFailure() const
{
    const QByteArray path = QFile::encodeName(m_lockPath);
    QString reason;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        reason = systemReason(errno);
    } else {
        const char probe[64] = {};
        if (::write(fd, probe, sizeof probe) != static_cast<ssize_t>(sizeof probe) || ::fsync(fd) != 0)
            reason = systemReason(errno);
        ::close(fd);
        ::unlink(path.constData());
    }
    if (reason.isEmpty())
        reason = m_lock.error() == QLockFile::PermissionError ? systemReason(EACCES) : QStringLiteral("unknown error");
    return QStringLiteral("Cannot lock %1 (%2): %3.").arg(m_shownName, m_lockPath, reason);
}

QString keyRingInUseMessage(const QString& shownName)
{
    return QStringLiteral("The key ring %1 is in use by another Tessary program. Close it there first.")
        .arg(shownName);
}

} // namespace tessary
