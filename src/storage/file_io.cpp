#include "storage/file_io.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {

namespace {

bool writeAll(int fd, const char* data, qsizetype size, int& error)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

QString systemReason(int error)
{
    // In the user's language whatever locale the program runs in: the command-line tool sets none, as loading one
    // takes longer than most of its commands.
    static const locale_t userLocale = ::newlocale(LC_CTYPE_MASK | LC_MESSAGES_MASK, "", locale_t{});
    return QString::fromLocal8Bit(userLocale ? ::strerror_l(error, userLocale) : std::strerror(error));
}

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void Descriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int Descriptor::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool Descriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

FileReadStatus RegularFile::open(const QString& path, qint64 maximumSize, QString& reason)
{
    // Non-blocking, so that a FIFO with no writer cannot hold the open.
    m_fd.reset(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!m_fd.valid()) {
        if (errno == ENOENT)
            return FileReadStatus::Missing;
        reason = systemReason(errno);
        return FileReadStatus::Failed;
    }
    struct stat status = {};
    if (::fstat(m_fd.get(), &status) != 0) {
        reason = systemReason(errno);
        return FileReadStatus::Failed;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = S_ISDIR(status.st_mode) ? systemReason(EISDIR) : QStringLiteral("Not a regular file");
        return FileReadStatus::Failed;
    }
    if (status.st_size > maximumSize) {
        reason = QStringLiteral("File too large (%1 bytes; at most %2 are expected)")
                     .arg(status.st_size)
                     .arg(maximumSize);
        return FileReadStatus::Failed;
    }
    m_size = status.st_size;
    return FileReadStatus::Ok;
}

namespace {

// Reads up to `length` bytes with `readSome` (read(2) or pread(2) from where it has got to), retrying an
// interrupted call, until the end of the file.
template <class ReadSome>
qsizetype readFully(char* data, qsizetype length, QString& reason, const ReadSome& readSome)
{
    qsizetype done = 0;
    while (done < length) {
        const ssize_t got = readSome(data + done, static_cast<size_t>(length - done), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = systemReason(errno);
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

qsizetype RegularFile::read(char* data, qsizetype length, QString& reason)
{
    const int fd = m_fd.get();
    return readFully(data, length, reason,
                     [fd](char* into, size_t size, qsizetype) { return ::read(fd, into, size); });
}

qsizetype RegularFile::readAt(qint64 offset, char* data, qsizetype length, QString& reason) const
{
    const int fd = m_fd.get();
    return readFully(data, length, reason, [fd, offset](char* into, size_t size, qsizetype done) {
        return ::pread(fd, into, size, static_cast<off_t>(offset + done));
    });
}

FileReadStatus readRegularFile(const QString& path, qint64 maximumSize, QByteArray& bytes, QString& reason)
{
    bytes.clear();
    RegularFile file;
    if (const FileReadStatus status = file.open(path, maximumSize, reason); status != FileReadStatus::Ok)
        return status;
    // One byte more than the size says, so that a file that grew since is noticed.
    qsizetype length = 0;
    bytes = QByteArray(std::min<qint64>(maximumSize, file.size()) + 1, Qt::Uninitialized);
    for (;;) {
        const qsizetype got = file.read(bytes.data() + length, bytes.size() - length, reason);
        if (got < 0) {
            bytes.clear();
            return FileReadStatus::Failed;
        }
        length += got;
        if (length < bytes.size())
            break;
        if (length > maximumSize) {
            reason = QStringLiteral("File too large (at most %1 bytes are expected)").arg(maximumSize);
            bytes.clear();
            return FileReadStatus::Failed;
        }
        bytes.resize(std::min<qsizetype>(2 * bytes.size(), maximumSize + 1));
    }
    bytes.truncate(length);
    return FileReadStatus::Ok;
}

namespace {

// Longer than any save could take: a new file this old was left by a save that never finished. One dated more
// than a day ahead was made under a clock that was wrong, and would otherwise stay for good.
constexpr qint64 abandonedAfterSeconds = 600;
constexpr qint64 clockSkewSeconds = 24 * 3600;

// The new file a save writes in the target's folder before renaming it over the target: this name and mkostemp's
// six letters or digits (".tessary-saving-Ab3xZ9"). It does not grow with the target's name, so any name the
// folder can hold can be saved, and no copy a user makes of a file ("alice.keyRing.backup") looks like one.
const QString savingName = QStringLiteral(".tessary-saving-");

bool isSavingName(const QString& name)
{
    const auto madeByMkostemp = [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); };
    if (name.size() != savingName.size() + 6 || !name.startsWith(savingName))
        return false;
    const QStringView suffix = QStringView(name).sliced(savingName.size());
    return std::all_of(suffix.begin(), suffix.end(), madeByMkostemp);
}

// A save killed between making its new file and renaming it leaves that file behind; the next save in the data
// folder removes what such saves left there. Only plain files of that exact pattern are touched, never through a
// link and never in another folder.
void removeAbandonedCopies(const QString& folder)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({savingName + QStringLiteral("*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat status = {};
        if (!isSavingName(name) || ::lstat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        const qint64 age = now - status.st_mtime;
        if (age > abandonedAfterSeconds || age < -clockSkewSeconds)
            ::unlink(path.constData());
    }
}

// The file a rename replaces: the link's target when links are followed, else the name itself (a rename over a
// link replaces the link, never what it names).
bool replacedFile(const QString& path, Links links, QString& target, QString& reason)
{
    const QFileInfo info(path);
    target = path;
    if (!info.isSymLink())
        return true;
    if (links == Links::Refuse) {
        reason = QStringLiteral("it is a symbolic link, and nothing is written through one");
        return false;
    }
    if (info.exists())
        target = info.canonicalFilePath();
    return true;
}

// A save by another user (root, say) leaves the file to its owner: a file root took over, readable by its owner
// only, would lock that owner out. A file root makes anew in another user's folder is that user's, for the same
// reason.
bool keepOwner(int fd, const QByteArray& replaced, const QByteArray& folder, QString& reason)
{
    struct stat old = {};
    struct stat made = {};
    if (::fstat(fd, &made) != 0)
        return true;
    if (::stat(replaced.constData(), &old) != 0) {
        if (::geteuid() != 0 || ::stat(folder.constData(), &old) != 0)
            return true; // nothing to replace yet, and only root can give a file away
    }
    if ((old.st_uid == made.st_uid && old.st_gid == made.st_gid) || ::fchown(fd, old.st_uid, old.st_gid) == 0)
        return true;
    // A user may not give a file to a group of someone else's (a ring chowned back after a copy by root): the file
    // is its owner's alone anyway, so only root's saves must keep it whole.
    if (::geteuid() != 0 && old.st_uid == made.st_uid)
        return true;
    reason = QStringLiteral("its owner and group cannot be kept (%1)").arg(systemReason(errno));
    return false;
}

} // namespace

bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason, Links links)
{
    QString target;
    if (!replacedFile(path, links, target, reason))
        return false;
    removeAbandonedCopies(QFileInfo(path).absolutePath());
    const QFileInfo targetInfo(target);
    const QByteArray targetName = QFile::encodeName(target);
    QByteArray temporary = QFile::encodeName(targetInfo.absoluteDir().filePath(savingName)) + "XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC)); // created owner read and write only
    if (!fd.valid()) {
        reason = systemReason(errno);
        return false;
    }

    int error = 0;
    if (!keepOwner(fd.get(), targetName, QFile::encodeName(targetInfo.absolutePath()), reason)) {
        ::unlink(temporary.constData());
        return false;
    }
    if (!writeAll(fd.get(), bytes.data(), bytes.size(), error) || ::fsync(fd.get()) != 0 || !fd.close() ||
        ::rename(temporary.constData(), targetName.constData()) != 0) {
        if (error == 0)
            error = errno;
        ::unlink(temporary.constData());
        reason = systemReason(error);
        return false;
    }

    // The rename itself reaches the disk with the folder's entry.
    Descriptor folder(::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY |
                                                                                          O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return true;
}

} // namespace tessary
