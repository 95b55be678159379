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

// The file a rename must replace: the target of a symbolic link rather than the link.
QString replacedPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return path;
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

qsizetype RegularFile::read(char* data, qsizetype length, QString& reason)
{
    qsizetype done = 0;
    while (done < length) {
        const ssize_t got = ::read(m_fd.get(), data + done, static_cast<size_t>(length - done));
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

// Longer than any save could take: a new file this old was left by a save that never finished.
constexpr qint64 abandonedAfterSeconds = 600;

// The new file a save writes in the target's folder before renaming it over the target: this name and mkostemp's
// six letters or digits (".tessary-saving-Ab3xZ9"). It does not grow with the target's name, so any name the
// folder can hold can be saved, and no copy a user makes of a file ("alice.keyRing.backup") looks like one.
const QString savingName = QStringLiteral(".tessary-saving-");

// A save killed between making its new file and renaming it leaves that file behind; the next save in the folder
// removes what such saves left. Only plain files of that exact pattern are touched.
void removeAbandonedCopies(const QDir& folder)
{
    const QDateTime abandoned = QDateTime::currentDateTime().addSecs(-abandonedAfterSeconds);
    const auto madeByMkostemp = [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); };
    for (const QFileInfo& entry : folder.entryInfoList({savingName + QStringLiteral("*")},
                                                       QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        const QString name = entry.fileName();
        if (name.size() != savingName.size() + 6 || !name.startsWith(savingName))
            continue;
        const QStringView suffix = QStringView(name).sliced(savingName.size());
        if (std::all_of(suffix.begin(), suffix.end(), madeByMkostemp) && entry.lastModified() < abandoned)
            QFile::remove(entry.absoluteFilePath());
    }
}

} // namespace

bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason)
{
    const QString target = replacedPath(path);
    const QFileInfo targetInfo(target);
    removeAbandonedCopies(targetInfo.absoluteDir());
    QByteArray temporary = QFile::encodeName(targetInfo.absoluteDir().filePath(savingName)) + "XXXXXX";
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
