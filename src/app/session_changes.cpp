// Changes of one key that are saved at once, and the held key of Undo Delete.
#include "app/session.h"

#include "app/key_table_watcher.h"
#include "storage/key_fields.h"

#include <algorithm>
#include <utility>

namespace tessary {

namespace {

QString renameRefusal(KeyTable::RenameResult result)
{
    switch (result) {
    case KeyTable::RenameResult::NotUnique:
        return namesMustBeUniqueMessage();
    case KeyTable::RenameResult::EmptyName:
        return emptyKeyNameMessage();
    case KeyTable::RenameResult::TooLong:
        return tooLongTextMessage(QStringLiteral("key name"), keyNameLimit);
    case KeyTable::RenameResult::NotFound:
        return QStringLiteral("There is no such key.");
    case KeyTable::RenameResult::Renamed:
    case KeyTable::RenameResult::Unchanged:
        break;
    }
    return {};
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

bool Session::renameKey(int slotNumber, QByteArrayView newName, QString* error)
{
    if (!m_loggedIn || slotNumber < 1 || slotNumber > m_ring.table.keyCount())
        return fail(error, renameRefusal(KeyTable::RenameResult::NotFound));
    KeyRecord before = ownCopy(m_ring.table.slot(slotNumber));
    const KeyTable::RenameResult result = m_ring.table.renameKey(before.name, newName);
    if (result == KeyTable::RenameResult::Unchanged)
        return true;
    if (result != KeyTable::RenameResult::Renamed)
        return fail(error, renameRefusal(result));
    QString reason;
    if (!save(&reason)) {
        m_ring.table.slot(slotNumber) = std::move(before);
        return fail(error, unsavedChangeMessage(reason));
    }
    if (m_watcher)
        m_watcher->keyChanged(slotNumber);
    return true;
}

bool Session::changeKey(int slotNumber, const KeyChange& change, QString* error)
{
    if (!m_loggedIn || slotNumber < 1 || slotNumber > m_ring.table.keyCount())
        return fail(error, renameRefusal(KeyTable::RenameResult::NotFound));
    KeyRecord before = ownCopy(m_ring.table.slot(slotNumber));
    if (!m_ring.table.changeKey(slotNumber, change))
        return true;
    QString reason;
    const bool saved = save(&reason);
    if (!saved)
        m_ring.table.slot(slotNumber) = std::move(before);
    else if (m_watcher)
        m_watcher->keyChanged(slotNumber);
    // The replaced texts may hold secrets; the table's copies were wiped as they were replaced.
    for (QByteArray* field : {&before.userName, &before.url, &before.description, &before.password})
        wipe(*field);
    return saved || fail(error, unsavedChangeMessage(reason));
}

bool Session::removeKey(int slotNumber, QString* error)
{
    if (!m_loggedIn || slotNumber < 1 || slotNumber > m_ring.table.keyCount())
        return fail(error, renameRefusal(KeyTable::RenameResult::NotFound));
    KeyRecord removed = ownCopy(m_ring.table.slot(slotNumber));
    if (m_watcher)
        m_watcher->keyRemoving(slotNumber);
    m_ring.table.removeKey(slotNumber);
    if (m_watcher)
        m_watcher->keyRemoved();
    QString reason;
    if (!save(&reason)) {
        if (m_watcher)
            m_watcher->keyInserting(slotNumber);
        m_ring.table.insertRecord(slotNumber, std::move(removed));
        if (m_watcher)
            m_watcher->keyInserted();
        return fail(error, unsavedChangeMessage(reason));
    }
    m_removed.hold(std::move(removed), slotNumber);
    return true;
}

int Session::undoRemove(QString* error)
{
    if (!m_loggedIn || !m_removed.isHeld()) {
        fail(error, QStringLiteral("There is no deleted key to bring back."));
        return 0;
    }
    KeyTable& table = m_ring.table;
    if (table.isFull()) {
        fail(error, maximumKeysMessage());
        return 0;
    }
    if (!table.isKeyNameUnique(m_removed.record().name)) {
        fail(error, namesMustBeUniqueMessage());
        return 0;
    }
    const int slot = std::min(m_removed.slot(), table.keyCount() + 1);
    if (m_watcher)
        m_watcher->keyInserting(slot);
    table.insertRecord(slot, m_removed.record());
    if (m_watcher)
        m_watcher->keyInserted();
    QString reason;
    if (!save(&reason)) {
        if (m_watcher)
            m_watcher->keyRemoving(slot);
        table.removeKey(slot);
        if (m_watcher)
            m_watcher->keyRemoved();
        fail(error, unsavedChangeMessage(reason));
        return 0;
    }
    m_removed.forget();
    return slot;
}

QString unsavedChangeMessage(const QString& reason)
{
    return reason + QStringLiteral("\n\rThe key ring could not be saved, so the change is undone: the keys are as the "
                                   "file holds them.");
}

} // namespace tessary
