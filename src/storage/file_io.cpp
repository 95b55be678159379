#include "storage/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes a descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now, so that an error the close reports is not lost.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

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

// The file a rename must replace: the target of a symbolic link rather than the link.
QString replacedPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return path;
}

} // namespace

FileReadStatus readRegularFile(const QString& path, qint64 maximumSize, QByteArray& bytes, QString& reason)
{
    bytes.clear();
    // Non-blocking, so that a FIFO with no writer cannot hold the open.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT)
            return FileReadStatus::Missing;
        reason = systemReason(errno);
        return FileReadStatus::Failed;
    }
    struct stat status = {};
    if (::fstat(fd.get(), &status) != 0) {
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

    // One byte more than the size says, so that a file still growing is noticed.
    bytes = QByteArray(static_cast<qsizetype>(status.st_size) + 1, Qt::Uninitialized);
    qsizetype length = 0;
    for (;;) {
        if (length == bytes.size()) {
            if (bytes.size() > maximumSize) {
                bytes.clear();
                reason = QStringLiteral("File too large (at most %1 bytes are expected)").arg(maximumSize);
                return FileReadStatus::Failed;
            }
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, maximumSize + 1));
        }
        const ssize_t got = ::read(fd.get(), bytes.data() + length, static_cast<size_t>(bytes.size() - length));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = systemReason(errno);
            bytes.clear();
            return FileReadStatus::Failed;
        }
        if (got == 0)
            break;
        length += got;
    }
    bytes.truncate(length);
    return FileReadStatus::Ok;
}

bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason)
{
    const QString target = replacedPath(path);
    const QFileInfo targetInfo(target);
    QByteArray temporary = QFile::encodeName(target) + ".XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC)); // created owner read and write only
    if (!fd.valid()) {
        reason = systemReason(errno);
        return false;
    }

    int error = 0;
    if (!writeAll(fd.get(), bytes.data(), bytes.size(), error) || ::fsync(fd.get()) != 0 || !fd.close() ||
        ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
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
