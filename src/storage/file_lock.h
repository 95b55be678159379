#pragma once

#include <QLockFile>
#include <QString>

#include <chrono>

namespace tessary {

// The lock every writer of a file holds beside it ("<file>.lock"): of a key ring, the desktop program for as long
// as a user is logged in and the command-line tool while a command writes; of the user list, whoever adds a user. Only a live holder on this machine keeps it: a lock
// left by a process that died, or one that names no process at all (emptied or garbled), is taken over.
class FileLock
{
public:
    explicit FileLock(const QString& lockedPath);

    bool tryLock(std::chrono::milliseconds wait = std::chrono::milliseconds(100));
    bool isLocked() const { return m_lock.isLocked(); }
    void unlock() { m_lock.unlock(); }

    // What to tell the user when tryLock failed.
    QString refusal() const { return m_refusal; }

private:
    bool holderIsGone() const;
    QString reasonForFailure() const;

    QString m_shownName;
    QString m_lockPath;
    QLockFile m_lock;
    QString m_refusal;
};

// "The key ring X is in use by another Tessary program ..."
QString keyRingInUseMessage(const QString& shownName);

} // namespace tessary
