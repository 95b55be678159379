#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

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

// An open regular file for reading, closed when it goes out of scope. A FIFO, a device or a directory is refused
// without blocking on it, and so is a file larger than `maximumSize`.
class RegularFile
{
public:
    FileReadStatus open(const QString& path, qint64 maximumSize, QString& reason);
    int descriptor() const { return m_fd.get(); }
    qint64 size() const { return m_size; }

    // Reads up to `length` bytes, fewer only at the end of the file; -1 (with `reason` set) on an error.
    qsizetype read(char* data, qsizetype length, QString& reason);
    // The same at `offset`, leaving the file's position alone, so several threads may read at once.
    qsizetype readAt(qint64 offset, char* data, qsizetype length, QString& reason) const;

private:
    Descriptor m_fd;
    qint64 m_size = 0;
};

// Reads a whole regular file. A FIFO, a device or a directory is refused without blocking on it, and so is a file
// larger than `maximumSize`, before any of it is read. `reason` is the system's or our own short wording.
FileReadStatus readRegularFile(const QString& path, qint64 maximumSize, QByteArray& bytes, QString& reason);

// What a save does with a symbolic link at the name it writes.
enum class Links {
    Refuse, // the file is not written: a link planted there could aim the write anywhere
    Follow, // the file it names is replaced and the link kept (a user's own key ring kept elsewhere)
};

// Replaces the file's contents with `bytes`, or leaves the old file as it was: the bytes go to a new file beside
// it (owner read and write only, with the owner and group of the file it replaces), which is flushed to the disk
// before it is renamed over the old one. `reason` is the system's or our own wording of what failed.
bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason, Links links = Links::Refuse);

} // namespace tessary
