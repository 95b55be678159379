#include "storage/file_lock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tessary {

namespace {

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file a lock is taken beside: what a symbolic link leads to (even a link to a file not made yet).
QString lockedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

} // namespace

FileLock::FileLock(const QString& lockedPath, const QString& what)
    : m_what(what), m_shownName(QFileInfo(lockedPath).fileName()),
      m_lockPath(lockedFile(lockedPath) + QStringLiteral(".lock"))
{
}

bool FileLock::tryLock(std::chrono::milliseconds wait)
{
    m_refusal.clear();
    if (isLocked())
        return true;
    const QDeadlineTimer deadline(wait);
    for (;;) {
        switch (attempt()) {
        case Attempt::Locked:
            return true;
        case Attempt::Failed:
            return false;
        case Attempt::Moved: // its holder removed the file as it let go: the next one at the name is the lock
            if (!deadline.hasExpired())
                continue;
            break;
        case Attempt::Held:
            if (!deadline.hasExpired()) {
                std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(deadline.remainingTimeAsDuration(),
                                                                               std::chrono::milliseconds(20)));
                continue;
            }
            break;
        }
        m_refusal = inUseMessage(m_what, m_shownName, m_holder);
        return false;
    }
}

FileLock::Attempt FileLock::attempt()
{
    const QByteArray path = QFile::encodeName(m_lockPath);
    // Not through a link, and without blocking on a FIFO or becoming a terminal's; whatever was opened must then
    // prove to be a plain file. Read only: flock needs no more, and a lock file left by another user (root, say)
    // is locked all the same.
    Descriptor file(::open(path.constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                           0600));
    struct stat opened = {};
    QString reason;
    bool held = false;
    if (!file.valid()) {
        reason = errno == ELOOP ? QStringLiteral("it is a symbolic link") : systemReason(errno);
    } else if (::fstat(file.get(), &opened) != 0) {
        reason = systemReason(errno);
    } else if (!S_ISREG(opened.st_mode)) {
        reason = QStringLiteral("it is not a regular file");
    } else if (const QString stranger = strangerReason(m_lockPath, opened.st_uid); !stranger.isEmpty()) {
        // Whoever made it could hold it for good, or take it away from under its holder.
        reason = stranger;
    } else if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        held = errno == EWOULDBLOCK;
        if (!held)
            reason = systemReason(errno);
    }
    if (!reason.isEmpty()) {
        m_refusal = QStringLiteral("Cannot lock %1 (%2): %3.").arg(m_shownName, m_lockPath, reason);
        return Attempt::Failed;
    }
    if (held) {
        m_holder = holderOf(file.get());
        return Attempt::Held;
    }

    struct stat named = {};
    if (::lstat(path.constData(), &named) != 0 || !sameFile(named, opened))
        return Attempt::Moved;
    m_file.reset(file.release());
    return Attempt::Locked;
}

qint64 FileLock::holderOf(int fd)
{
    struct stat status = {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (::fstat(fd, &status) != 0 || !locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    // "1: FLOCK  ADVISORY  WRITE 4242 fe:01:1234567 0 EOF"; waiting locks follow their holder's line after "->".
    const QByteArray file = QByteArray::number(major(status.st_dev), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(minor(status.st_dev), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(quint64(status.st_ino));
    // Read whole: the kernel's files say they are empty, so QFile finds their end at once.
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields.at(1) == "FLOCK" && fields.at(5) == file) {
            bool ok = false;
            const qint64 pid = fields.at(4).toLongLong(&ok);
            return ok && pid > 0 ? pid : 0;
        }
    }
    return 0;
}

void FileLock::unlock()
{
    if (!isLocked())
        return;
    // Removed while still held, and only when it is still the file at the name, so that no writer can lock a file
    // that is no longer the lock.
    const QByteArray path = QFile::encodeName(m_lockPath);
    struct stat held = {};
    struct stat named = {};
    if (::fstat(m_file.get(), &held) == 0 && ::lstat(path.constData(), &named) == 0 && sameFile(held, named))
        ::unlink(path.constData());
    m_file.close();
}

QString inUseMessage(const QString& what, const QString& shownName, qint64 holder)
{
    const QString process = holder > 0 ? QStringLiteral(" (process %1)").arg(holder) : QString();
    return QStringLiteral("The %1 %2 is in use by another Tessary program%3. Close it there first.")
        .arg(what, shownName, process);
}

QString keyRingInUseMessage(const QString& shownName, qint64 holder)
{
    return inUseMessage(QStringLiteral("key ring"), shownName, holder);
}

} // namespace tessary
