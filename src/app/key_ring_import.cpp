#include "app/key_ring_import.h"

#include "app/session.h"
#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/key_ring_file.h"

#include <QFileInfo>

namespace tessary {

KeyRingImport::KeyRingImport(const Session& session)
    : KeyRingImport(session, session.path(QString::fromLatin1(exportFileName)), QString::fromLatin1(exportFileName))
{
}

KeyRingImport::KeyRingImport(const Session& session, const QString& path, const QString& shownName)
    : m_slowWork(session.slowWork())
{
    if (!QFileInfo::exists(path)) {
        m_failure = noImportFileMessage(path);
        return;
    }
    KeyRingReadResult read = readKeyRing(path, shownName);
    // A damaged file may hold half records; none of it is worth mixing into a good key ring.
    if (read.status != KeyRingReadResult::Status::Ok) {
        m_failure = read.message;
        return;
    }
    if (read.format == KeyRingFormat::Strong) {
        m_sealed = std::move(read.sealed);
        m_strong = read.strong;
        // Sealed by this user's key (an export of this ring): opened with it, no password asked.
        const MasterSecret& secret = session.secret();
        m_needsPassword = !secret.sealingKey || !openSealed(*secret.sealingKey);
        return;
    }
    m_storedDigest = read.storedDigest;
    m_table = std::move(read.table);
    if (session.format() == KeyRingFormat::Classic && m_storedDigest == session.keyRing().storedDigest)
        m_secret = MasterSecret{ownCopy(session.secret().password), ownCopy(session.secret().key)};
    else
        m_needsPassword = true;
}

KeyRingImport::~KeyRingImport()
{
    wipe(m_sealed);
    wipe(m_secret.password);
    wipe(m_secret.key);
    // Deciphered, they are the other file's keys in clear.
    for (int slot = 1; slot <= m_table.keyCount(); ++slot) {
        KeyRecord& record = m_table.slot(slot);
        for (QByteArray* field : {&record.name, &record.userName, &record.url, &record.description, &record.password})
            wipe(*field);
    }
    m_table.clear();
}

bool KeyRingImport::openSealed(const LockedBytes& key)
{
    StrongContent content;
    if (tessary::openStrongRing(m_sealed, m_strong, key, content) != StrongOpen::Opened)
        return false;
    m_table = std::move(content.table);
    m_deciphered = true;
    wipe(m_sealed);
    return true;
}

bool KeyRingImport::unlock(const QString& password)
{
    QByteArray bytes = toCodePage(password);
    if (!m_sealed.isEmpty()) {
        LockedBytes key(sealingKeySize);
        bool made = false;
        m_slowWork([&] { made = deriveKey(bytes, m_strong.kdf, key); });
        const bool opened = made && openSealed(key);
        wipe(bytes);
        m_needsPassword = !opened;
        return opened;
    }
    const QByteArray digest = hashPassword(bytes);
    if (digest.isEmpty() || digest != m_storedDigest) {
        wipe(bytes);
        return false;
    }
    wipe(m_secret.password);
    m_secret = MasterSecret{ownCopy(bytes), digest};
    wipe(bytes);
    m_needsPassword = false;
    return true;
}

KeyRingImport::Count KeyRingImport::merge(const KeyTable& into, const std::function<bool(const KeyRecord&)>& append)
{
    Count count;
    if (!decipher())
        return count;
    for (int slot = 1; slot <= m_table.keyCount(); ++slot) {
        const KeyRecord& record = m_table.slot(slot);
        if (!into.isKeyNameUnique(record.name))
            ++count.sameName;
        else if (into.isFull() || !append(record))
            ++count.noRoom;
        else
            ++count.added;
    }
    return count;
}

bool KeyRingImport::decipher()
{
    if (!m_failure.isEmpty() || m_needsPassword)
        return false;
    if (!m_deciphered) {
        cryptKeyTable(m_table, m_secret);
        m_deciphered = true;
    }
    return true;
}

const KeyTable* KeyRingImport::keys()
{
    return decipher() ? &m_table : nullptr;
}

QString importSummaryMessage(const KeyRingImport::Count& count)
{
    QString text = QStringLiteral("%1 key(s) imported from %2.").arg(count.added).arg(QLatin1String(exportFileName));
    if (count.sameName > 0)
        text += QStringLiteral("\n%1 skipped: a key of the same name is already in the key ring.").arg(count.sameName);
    if (count.noRoom > 0)
        text += QStringLiteral("\n%1 skipped: the key ring is full (%2 keys at most).")
                    .arg(count.noRoom)
                    .arg(KeyTable::capacity);
    return text;
}

QString noImportFileMessage(const QString& path)
{
    return QStringLiteral("There is no key ring to import: %1 does not exist.").arg(path);
}

} // namespace tessary
