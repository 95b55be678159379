#include "storage/key_table.h"

#include "crypto/random.h"
#include "crypto/wipe.h"
#include "storage/key_fields.h"
#include "storage/ole_date.h"

#include <utility>

namespace tessary {

int KeyTable::findKey(QByteArrayView name) const
{
    for (int s = 1; s <= capacity; ++s) {
        if (QByteArrayView(slot(s).name) == name)
            return s;
    }
    return notFound;
}

int KeyTable::findFreeSlot() const
{
    for (int s = 1; s <= capacity; ++s) {
        if (slot(s).isFree())
            return s;
    }
    return notFound;
}

bool KeyTable::isKeyNameUnique(QByteArrayView name) const
{
    for (int s = 1; s <= m_keyCount; ++s) {
        if (QByteArrayView(slot(s).name) == name)
            return false;
    }
    return true;
}

QByteArray KeyTable::uniqueSalt() const
{
    for (;;) {
        QByteArray salt = makeSalt();
        bool held = false;
        for (int s = 1; s <= m_keyCount && !held; ++s)
            held = slot(s).salt == salt;
        if (!held)
            return salt;
    }
}

KeyTable::AddResult KeyTable::addKey(KeyRecord& record, const QDateTime& now)
{
    record.salt = uniqueSalt();
    // The slot after the last key in use: a nameless key read from a damaged file looks free but is not.
    const int free = m_keyCount < capacity ? m_keyCount + 1 : notFound;
    if (free == notFound)
        return AddResult::TableFull;
    // Whole seconds, as the clock the creation stamp shows them.
    record.dateCreated = toOleDate(now.date());
    record.timeCreated = toOleTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    // The table's texts get blocks of their own, so that the caller may wipe what it built the record from.
    slot(free) = ownCopy(record);
    ++m_keyCount;
    return AddResult::Added;
}

bool KeyTable::removeKey(int slotNumber)
{
    if (slotNumber < 1 || slotNumber > m_keyCount)
        return false;
    for (int s = slotNumber; s < m_keyCount; ++s)
        slot(s) = std::move(slot(s + 1));
    slot(m_keyCount) = KeyRecord{};
    --m_keyCount;
    return true;
}

KeyTable::RenameResult KeyTable::renameKey(QByteArrayView oldName, QByteArrayView newName)
{
    if (newName == oldName)
        return RenameResult::Unchanged;
    // A key with an empty name would count as a free slot, and the next new key would overwrite it.
    if (newName.isEmpty())
        return RenameResult::EmptyName;
    if (newName.size() > keyNameLimit)
        return RenameResult::TooLong;
    if (!isKeyNameUnique(newName))
        return RenameResult::NotUnique;
    const int s = findKey(oldName);
    if (s == notFound || s > m_keyCount)
        return RenameResult::NotFound;
    slot(s).name = newName.toByteArray();
    renewSalt(s);
    return RenameResult::Renamed;
}

bool KeyTable::changeKey(int slotNumber, const KeyChange& change)
{
    if (slotNumber < 1 || slotNumber > m_keyCount)
        return false;
    KeyRecord& record = slot(slotNumber);
    bool changed = false;
    const auto store = [&changed](const std::optional<QByteArray>& value, QByteArray& field) {
        if (!value || *value == field)
            return;
        wipe(field); // the old text may be a password
        field = ownCopy(*value);
        changed = true;
    };
    store(change.url, record.url);
    store(change.userName, record.userName);
    store(change.description, record.description);
    store(change.password, record.password);
    if (changed)
        renewSalt(slotNumber);
    return changed;
}

void KeyTable::renewSalt(int slotNumber)
{
    if (slotNumber >= 1 && slotNumber <= m_keyCount)
        slot(slotNumber).salt = uniqueSalt();
}

bool KeyTable::appendRecord(KeyRecord record)
{
    if (isFull())
        return false;
    slot(++m_keyCount) = ownCopy(record); // see addKey
    return true;
}

KeyTable::KeyTable(const KeyTable& other) : m_keyCount(other.m_keyCount)
{
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        m_slots[i] = ownCopy(other.m_slots[i]);
}

KeyTable& KeyTable::operator=(const KeyTable& other)
{
    if (this != &other) {
        clear();
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            m_slots[i] = ownCopy(other.m_slots[i]);
        m_keyCount = other.m_keyCount;
    }
    return *this;
}

bool KeyTable::insertRecord(int slotNumber, KeyRecord record)
{
    if (isFull() || slotNumber < 1 || slotNumber > m_keyCount + 1)
        return false;
    for (int s = m_keyCount + 1; s > slotNumber; --s)
        slot(s) = std::move(slot(s - 1));
    slot(slotNumber) = ownCopy(record); // see addKey
    ++m_keyCount;
    return true;
}

void KeyTable::clear()
{
    // Every slot: one after the count may still hold what a damaged file put there.
    for (KeyRecord& record : m_slots) {
        for (QByteArray* text : record.texts())
            release(*text);
        record = KeyRecord{};
    }
    m_keyCount = 0;
}

QString maximumKeysMessage()
{
    return QStringLiteral("There is a maximum of %1 entries in this version of Tessary.").arg(KeyTable::capacity);
}

QString namesMustBeUniqueMessage()
{
    return QStringLiteral("Names must be unique");
}

QString emptyKeyNameMessage()
{
    return QStringLiteral("A key needs a name.");
}

QByteArrayView usablePasswordView(const KeyRecord& record)
{
    const qsizetype nul = record.password.indexOf('\0');
    return nul < 0 ? QByteArrayView(record.password) : QByteArrayView(record.password).first(nul);
}

QByteArray usablePassword(const KeyRecord& record)
{
    return usablePasswordView(record).toByteArray();
}

QString creationStamp(const KeyRecord& record, const QLocale& locale)
{
    return locale.toString(fromOleTime(record.timeCreated), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(fromOleDate(record.dateCreated), QLocale::ShortFormat);
}

} // namespace tessary
