#include "storage/file_lock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {

namespace {

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

qint64 processNamedIn(int fd)
{
    char text[32] = {};
    const ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
    if (length <= 0)
        return 0;
    const QByteArray firstLine = QByteArray(text, length).split('\n').constFirst();
    bool ok = false;
    const qint64 pid = firstLine.toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

} // namespace

FileLock::FileLock(const QString& lockedPath, const QString& what)
    : m_what(what), m_shownName(QFileInfo(lockedPath).fileName()),
      m_lockPath(lockedPath + QStringLiteral(".lock"))
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
    // prove to be a plain file.
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::open(path.constData(), O_RDWR | O_CREAT | flags, 0644));
    const bool writable = file.valid();
    // A lock file left by another user (root, say) is locked all the same: flock needs no write access.
    if (!file.valid() && errno == EACCES)
        file.reset(::open(path.constData(), O_RDONLY | flags));
    struct stat opened = {};
    QString reason;
    bool held = false;
    if (!file.valid()) {
        reason = errno == ELOOP ? QStringLiteral("it is a symbolic link") : systemReason(errno);
    } else if (::fstat(file.get(), &opened) != 0) {
        reason = systemReason(errno);
    } else if (!S_ISREG(opened.st_mode)) {
        reason = QStringLiteral("it is not a regular file");
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
        m_holder = processNamedIn(file.get());
        return Attempt::Held;
    }

    struct stat named = {};
    if (::lstat(path.constData(), &named) != 0 || !sameFile(named, opened))
        return Attempt::Moved;
    if (writable) {
        // Only another writer's refusal reads it: a full disk that leaves it empty harms nothing.
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        [[maybe_unused]] const bool written =
            ::ftruncate(file.get(), 0) == 0 && ::pwrite(file.get(), pid.constData(), size_t(pid.size()), 0) > 0;
    }
    m_file.reset(file.release());
    return Attempt::Locked;
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
