#pragma once

#include "storage/key_record.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>

namespace tessary {

// The logged-in user's keys: 255 slots numbered from 1, slots 1 to keyCount in use and gap-free, later slots free.
class KeyTable
{
public:
    static constexpr int capacity = 255;
    static constexpr int notFound = -1;

    enum class AddResult { Added, TableFull };
    enum class RenameResult { Renamed, Unchanged, NotUnique, EmptyName, NotFound };

    int keyCount() const { return m_keyCount; }
    bool isFull() const { return m_keyCount >= capacity; }

    // Slot numbers run from 1 to capacity.
    const KeyRecord& slot(int slotNumber) const { return m_slots.at(slotNumber - 1); }
    KeyRecord& slot(int slotNumber) { return m_slots.at(slotNumber - 1); }

    // The first slot of all 255 whose name is exactly `name`, or notFound.
    int findKey(QByteArrayView name) const;
    // The first slot with an empty name, or notFound.
    int findFreeSlot() const;
    // False when a key in use already has exactly this name.
    bool isKeyNameUnique(QByteArrayView name) const;

    // Gives the record a fresh salt and, when there is room, its creation date and time and a slot.
    AddResult addKey(KeyRecord& record, const QDateTime& now = QDateTime::currentDateTime());
    // Removes a key in use; later keys move down one slot.
    bool removeKey(int slotNumber);
    RenameResult renameKey(QByteArrayView oldName, QByteArrayView newName);

    // For the key ring reader: puts a record read from a file into the next slot.
    bool appendRecord(KeyRecord record);

    void clear();

private:
    std::array<KeyRecord, capacity> m_slots;
    int m_keyCount = 0;
};

// "There is a maximum of 255 entries in this version of Tessary."
QString maximumKeysMessage();
// "Names must be unique"
QString namesMustBeUniqueMessage();
QString emptyKeyNameMessage();

// The list's creation stamp: the time in the locale's short format, a space, then the date in its short format.
QString creationStamp(const KeyRecord& record, const QLocale& locale = QLocale());

// The password as its user knows it, the one Copy Password takes: the stored bytes up to the first NUL (a new key's
// password is stored with a NUL and padding after it).
QByteArray usablePassword(const KeyRecord& record);

} // namespace tessary
