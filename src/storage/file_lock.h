#pragma once

#include "storage/file_io.h"

#include <QString>

#include <chrono>

namespace tessary {

// The lock every writer of a file holds beside it ("<file>.lock"): of a key ring, the desktop program for as long
// as a user is logged in and the command-line tool while a command writes; of the user list, whoever adds a user.
// A file reached through a symbolic link is locked beside the file it leads to, so that every name of one file
// shares one lock. The kernel holds it (flock on the lock file) and lets go when its holder ends, however it ends:
// no lock is ever stale, so none is taken over. Nothing is ever written into a lock file (it may be a hard link to
// anything); the kernel's list of locks names the holder in the refusal.
class FileLock
{
public:
    // `what` names the file in the refusal: "key ring", "user list".
    explicit FileLock(const QString& lockedPath, const QString& what = QStringLiteral("key ring"));
    ~FileLock() { unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool tryLock(std::chrono::milliseconds wait = std::chrono::milliseconds(100));
    bool isLocked() const { return m_file.valid(); }
    void unlock();

    // What to tell the user when tryLock failed.
    QString refusal() const { return m_refusal; }

private:
    enum class Attempt { Locked, Held, Moved, Failed };
    Attempt attempt();
    // The process holding the lock on the file open as `fd`, from the kernel's list of locks; 0 when unknown.
    static qint64 holderOf(int fd);

    QString m_what;
    QString m_shownName;
    QString m_lockPath;
    Descriptor m_file;
    qint64 m_holder = 0; // the process holding the lock, 0 when unknown
    QString m_refusal;
};

// "The key ring X is in use by another Tessary program ..."; `holder` names its process when known (not 0).
QString inUseMessage(const QString& what, const QString& shownName, qint64 holder = 0);
QString keyRingInUseMessage(const QString& shownName, qint64 holder = 0);

} // namespace tessary
