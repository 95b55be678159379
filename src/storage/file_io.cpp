#include "storage/file_io.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <stdio.h>
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

QString strangerReason(const QString& path, uid_t owner)
{
    if (owner == ::geteuid())
        return {};
    struct stat folder = {};
    const QByteArray folderName = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::stat(folderName.constData(), &folder) != 0 || (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return {};
    return QStringLiteral("it belongs to another user (%1), in a folder others can write").arg(accountName(owner));
}

QString accountName(uid_t uid)
{
    struct passwd entry = {};
    struct passwd* found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QFile::decodeName(found->pw_name);
    return QString::number(uid);
}

FileReadStatus RegularFile::open(const QString& path, qint64 maximumSize, QString& reason, Strangers strangers)
{
    // Non-blocking, so that a FIFO with no writer cannot hold the open.
    const QByteArray name = QFile::encodeName(path);
    m_fd.reset(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!m_fd.valid()) {
        if (errno == ENOENT)
            return FileReadStatus::Missing;
        reason = systemReason(errno);
        return FileReadStatus::Failed;
    }
    struct stat status = {};
    struct stat atName = {};
    if (::fstat(m_fd.get(), &status) != 0 || ::lstat(name.constData(), &atName) != 0) {
        reason = systemReason(errno);
        return FileReadStatus::Failed;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = S_ISDIR(status.st_mode) ? systemReason(EISDIR) : QStringLiteral("Not a regular file");
        return FileReadStatus::Failed;
    }
    if (strangers == Strangers::Refuse) {
        reason = strangerReason(path, status.st_uid);
        if (reason.isEmpty())
            reason = strangerReason(path, atName.st_uid);
        if (!reason.isEmpty())
            return FileReadStatus::Failed;
    }
    if (status.st_size > maximumSize) {
        reason = QStringLiteral("File too large (%1 bytes; at most %2 are expected)")
                     .arg(status.st_size)
                     .arg(maximumSize);
        return FileReadStatus::Failed;
    }
    m_size = status.st_size;
    m_identity = {quint64(status.st_dev), quint64(status.st_ino), S_ISLNK(atName.st_mode)};
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

FileReadStatus readRegularFile(const QString& path, qint64 maximumSize, QByteArray& bytes, QString& reason,
                               Strangers strangers)
{
    bytes.clear();
    RegularFile file;
    if (const FileReadStatus status = file.open(path, maximumSize, reason, strangers); status != FileReadStatus::Ok)
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

// The new file a save writes in the target's folder before renaming it over the target: this name and six random
// letters or digits (".tessary-saving-Ab3xZ9"). It does not grow with the target's name, so any name the folder can
// hold can be saved, and no copy a user makes of a file ("alice.keyRing.backup") looks like one.
const QString savingName = QStringLiteral(".tessary-saving-");
constexpr int savingSuffixLength = 6;

bool isSavingName(const QString& name)
{
    const auto madeHere = [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); };
    if (name.size() != savingName.size() + savingSuffixLength || !name.startsWith(savingName))
        return false;
    const QStringView suffix = QStringView(name).sliced(savingName.size());
    return std::all_of(suffix.begin(), suffix.end(), madeHere);
}

// A save killed between making its new file and renaming it leaves that file behind; the next save in the data
// folder removes what such saves left there. Only plain files of that exact pattern that are the user's own are
// touched, never through a link and never in another folder.
void removeAbandonedCopies(const QString& folder)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({savingName + QStringLiteral("*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat status = {};
        if (!isSavingName(name) || ::lstat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid())
            continue;
        const qint64 age = now - status.st_mtime;
        if (age > abandonedAfterSeconds || age < -clockSkewSeconds)
            ::unlink(path.constData());
    }
}

bool fail(QString& reason, const QString& why)
{
    reason = why;
    return false;
}

// The file a save replaces: the link's target when links are followed, else the name itself (a rename over a link
// replaces the link, never what it names). A link is followed only when it was there when the file was read and
// leads to a file of the user's own: one planted since, or aimed at someone else's file, would carry the user's
// keys there.
bool replacedFile(const QString& path, const SaveOptions& options, QString& target, QString& reason)
{
    const QFileInfo info(path);
    target = path;
    if (!info.isSymLink())
        return true;
    if (options.links == Links::Refuse)
        return fail(reason, QStringLiteral("it is a symbolic link, and nothing is written through one"));
    if (options.expected.known() && !options.expected.throughLink)
        return fail(reason, QStringLiteral("it has become a symbolic link since it was read, and nothing is written "
                                           "through it"));
    target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    struct stat link = {};
    struct stat file = {};
    const QByteArray linkName = QFile::encodeName(path);
    if (::lstat(linkName.constData(), &link) != 0)
        return fail(reason, systemReason(errno));
    const bool missing = ::stat(linkName.constData(), &file) != 0;
    // Root saving a user's ring keeps to that user's files.
    const uid_t user = ::geteuid() == 0 ? link.st_uid : ::geteuid();
    if (!missing && file.st_uid != user)
        return fail(reason, QStringLiteral("it is a link to %1, which belongs to another user (%2); nothing is "
                                           "written through it")
                                .arg(target, accountName(file.st_uid)));
    if (const QString stranger = strangerReason(path, link.st_uid); !stranger.isEmpty())
        return fail(reason, QStringLiteral("it is a link that %1").arg(stranger));
    return true;
}

// A save by another user (root, say) leaves the file to its owner: a file root took over, readable by its owner
// only, would lock that owner out. A file root makes anew in another user's folder is that user's, for the same
// reason. `old` is the replaced file's status, or the folder's when there is none yet.
bool keepOwner(int fd, const struct stat& made, const struct stat* old, QString& reason)
{
    if (!old)
        return true; // nothing to replace yet, and only root gives a file away
    if ((old->st_uid == made.st_uid && old->st_gid == made.st_gid) || ::fchown(fd, old->st_uid, old->st_gid) == 0)
        return true;
    // A user may not give a file to a group of someone else's (a ring chowned back after a copy by root): the file
    // is its owner's alone anyway, so only root's saves must keep it whole.
    if (::geteuid() != 0 && old->st_uid == made.st_uid)
        return true;
    return fail(reason, QStringLiteral("its owner and group cannot be kept (%1)").arg(systemReason(errno)));
}

// Makes the new file in the folder, exclusively and for its owner alone, under a name no other file has.
int createSavingFile(int folder, QByteArray& name)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    auto* generator = QRandomGenerator::system();
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = QFile::encodeName(savingName);
        for (int i = 0; i < savingSuffixLength; ++i)
            name.append(letters[generator->bounded(int(sizeof letters - 1))]);
        const int fd = ::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The rename that ends a save; for an exclusive create, one that fails when a file has appeared at the name.
bool renameInto(int folder, const QByteArray& from, const QByteArray& to, bool createOnly)
{
    if (!createOnly)
        return ::renameat(folder, from.constData(), folder, to.constData()) == 0;
    if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the exclusive rename: a hard link fails the same way on an existing name.
    if (::linkat(folder, from.constData(), folder, to.constData(), 0) != 0)
        return false;
    ::unlinkat(folder, from.constData(), 0);
    return true;
}

} // namespace

bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason, const SaveOptions& options,
                 FileIdentity* written)
{
    QString target;
    if (!replacedFile(path, options, target, reason))
        return false;
    removeAbandonedCopies(QFileInfo(path).absolutePath());

    // Every step below works in the one folder opened here, whatever is done meanwhile to the names above it.
    const QFileInfo targetInfo(target);
    const QByteArray baseName = QFile::encodeName(targetInfo.fileName());
    const Descriptor folder(
        ::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat folderStatus = {};
    if (!folder.valid() || ::fstat(folder.get(), &folderStatus) != 0)
        return fail(reason, systemReason(errno));
    struct stat old = {};
    const bool exists = ::fstatat(folder.get(), baseName.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return fail(reason, systemReason(errno));
    if (exists && options.createOnly)
        return fail(reason, systemReason(EEXIST));
    if (exists && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return fail(reason, QStringLiteral("it is not a regular file"));
    if (exists && options.expected.known() &&
        !options.expected.isSameFile({quint64(old.st_dev), quint64(old.st_ino), false}))
        return fail(reason, QStringLiteral("it was replaced by another file since it was read (by another program or "
                                           "another user); nothing was written over it"));
    if (exists) {
        if (const QString stranger = strangerReason(target, old.st_uid); !stranger.isEmpty())
            return fail(reason, stranger);
    }

    QByteArray temporary;
    Descriptor fd(createSavingFile(folder.get(), temporary));
    if (!fd.valid())
        return fail(reason, systemReason(errno));
    const auto discard = [&](int error) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return fail(reason, systemReason(error));
    };
    struct stat made = {};
    if (::fstat(fd.get(), &made) != 0)
        return discard(errno);
    const bool rootInAnotherFolder = !exists && ::geteuid() == 0;
    if (!keepOwner(fd.get(), made, exists ? &old : rootInAnotherFolder ? &folderStatus : nullptr, reason)) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return false;
    }
    int error = 0;
    if (!writeAll(fd.get(), bytes.data(), bytes.size(), error))
        return discard(error);
    if (::fsync(fd.get()) != 0)
        return discard(errno);
    if (!renameInto(folder.get(), temporary, baseName, options.createOnly))
        return discard(errno);

    // The name must now hold the very file written: in a folder others can write, another user may have renamed a
    // file of theirs over the new one before it was renamed into place.
    struct stat named = {};
    if (::fstatat(folder.get(), baseName.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_dev != made.st_dev || named.st_ino != made.st_ino) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return fail(reason, QStringLiteral("the folder was changed by someone else during the save: %1 is not the "
                                           "file that was written, so it is not saved")
                                .arg(targetInfo.fileName()));
    }
    // From here on the new file is the one at the name, whatever else fails.
    if (written)
        *written = {quint64(made.st_dev), quint64(made.st_ino), target != path};
    if (!fd.close())
        return fail(reason, systemReason(errno));
    // The rename itself reaches the disk with the folder's entry (a file system that cannot flush a folder says
    // EINVAL, and has nothing to flush).
    if (::fsync(folder.get()) != 0 && errno != EINVAL)
        return fail(reason, QStringLiteral("the folder's new entry may not have reached the disk (%1)")
                                .arg(systemReason(errno)));
    return true;
}

} // namespace tessary
