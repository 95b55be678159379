#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

namespace tessary {

// The system's wording of an errno value ("No space left on device").
QString systemReason(int error);

enum class FileReadStatus {
    Ok,
    Missing, // no file of that name
    Failed,  // `reason` says why
};

// Owns a file descriptor: closed on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd);
    // Hands the descriptor over, no longer owned.
    int release();
    // Closes now, so that an error the close reports is not lost.
    bool close();

private:
    int m_fd;
};

// The login name of a user id, or the number when it has none.
QString accountName(uid_t uid);

// Which file a name led to when it was read, so that a save over it can check that it still does.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool throughLink = false; // the name was a symbolic link to the file

    bool known() const { return inode != 0; }
    bool isSameFile(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// What a reader does with a file another user owns in a folder others can write (/tmp, a shared folder with the
// sticky bit): anyone there could have put it in place of the file meant, so the program's own files refuse it.
enum class Strangers { Refuse, Allow };

// Why a file owned by `owner` at `path` is refused under Strangers::Refuse, or empty when it is not: it belongs to
// another user, and the folder of `path` can be written by others.
QString strangerReason(const QString& path, uid_t owner);

// An open regular file for reading, closed when it goes out of scope. A FIFO, a device or a directory is refused
// without blocking on it, and so is a file larger than `maximumSize`.
class RegularFile
{
public:
    FileReadStatus open(const QString& path, qint64 maximumSize, QString& reason,
                        Strangers strangers = Strangers::Refuse);
    int descriptor() const { return m_fd.get(); }
    qint64 size() const { return m_size; }
    const FileIdentity& identity() const { return m_identity; }

    // Reads up to `length` bytes, fewer only at the end of the file; -1 (with `reason` set) on an error.
    qsizetype read(char* data, qsizetype length, QString& reason);
    // The same at `offset`, leaving the file's position alone, so several threads may read at once.
    qsizetype readAt(qint64 offset, char* data, qsizetype length, QString& reason) const;

private:
    Descriptor m_fd;
    qint64 m_size = 0;
    FileIdentity m_identity;
};

// Reads a whole regular file. A FIFO, a device or a directory is refused without blocking on it, and so is a file
// larger than `maximumSize`, before any of it is read. `reason` is the system's or our own short wording.
FileReadStatus readRegularFile(const QString& path, qint64 maximumSize, QByteArray& bytes, QString& reason,
                               Strangers strangers = Strangers::Refuse);

// What a save does with a symbolic link at the name it writes.
enum class Links {
    Refuse, // the file is not written: a link planted there could aim the write anywhere
    Follow, // the file it names is replaced and the link kept (a user's own key ring kept elsewhere)
};

struct SaveOptions
{
    Links links = Links::Refuse;
    bool createOnly = false; // an existing file at the name is refused, not replaced: an exclusive create
    FileIdentity expected;   // when known: the file the name must still lead to, as it was read
};

// Replaces the file's contents with `bytes`, or leaves the old file as it was: the bytes go to a new file beside
// it (made exclusively, owner read and write only, with the owner and group of the file it replaces), which is
// flushed to the disk before it is renamed over the old one. The save fails, and says so, when the name does not
// hold the very file written once the rename is done (someone else renamed a file of theirs over the new one), when
// the name no longer leads to `options.expected`, and when a link it would follow leads to another user's file.
// `written`, when given, gets the new file's identity. `reason` is the system's or our own wording of what failed.
bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason, const SaveOptions& options = {},
                 FileIdentity* written = nullptr);

} // namespace tessary
