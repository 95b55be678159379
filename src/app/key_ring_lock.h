#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace tessary {

// The lock every writer of a key ring holds beside it ("<file>.lock"): the desktop program for as long as a user
// is logged in, the command-line tool while a command writes. A lock left by a process that died is taken over.
class KeyRingLock
{
public:
    explicit KeyRingLock(const QString& keyRingPath);

    bool tryLock();
    bool isLocked() const { return m_lock.isLocked(); }
    void unlock() { m_lock.unlock(); }

    // What to tell the user when tryLock failed.
    QString refusal() const;

private:
    QString m_shownName;
    QLockFile m_lock;
};

// "The key ring X is in use by another Tessary program ..."
QString keyRingInUseMessage(const QString& shownName);

} // namespace tessary
