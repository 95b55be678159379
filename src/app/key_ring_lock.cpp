#include "app/key_ring_lock.h"

#include <QFileInfo>

namespace tessary {

KeyRingLock::KeyRingLock(const QString& keyRingPath)
    : m_shownName(QFileInfo(keyRingPath).fileName()), m_lock(keyRingPath + QStringLiteral(".lock"))
{
    // The desktop program holds its lock for hours; only a dead holder makes a lock stale, never its age.
    m_lock.setStaleLockTime(0);
}

bool KeyRingLock::tryLock()
{
    return m_lock.isLocked() || m_lock.tryLock(100);
}

QString KeyRingLock::refusal() const
{
    if (m_lock.error() == QLockFile::LockFailedError)
        return keyRingInUseMessage(m_shownName);
    return QStringLiteral("Cannot lock %1 (%2).").arg(m_shownName, m_lock.fileName());
}

QString keyRingInUseMessage(const QString& shownName)
{
    return QStringLiteral("The key ring %1 is in use by another Tessary program. Close it there first.")
        .arg(shownName);
}

} // namespace tessary
