#pragma once

#include "storage/key_record.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>
#include <optional>

namespace tessary {

// New values for a key's changeable fields; a field left empty keeps its value.
struct KeyChange
{
    std::optional<QByteArray> userName;
    std::optional<QByteArray> url;
    std::optional<QByteArray> description;
    std::optional<QByteArray> password;
};

// The logged-in user's keys: 255 slots numbered from 1, slots 1 to keyCount in use and gap-free, later slots free.
class KeyTable
{
public:
    static constexpr int capacity = 255;
    static constexpr int notFound = -1;

    enum class AddResult { Added, TableFull };
    enum class RenameResult { Renamed, Unchanged, NotUnique, EmptyName, TooLong, NotFound };

    KeyTable() = default;
    // A table going away wipes what it held: its keys are the secrets.
    ~KeyTable() { clear(); }
    // A copy owns its texts (see ownCopy), so that wiping either table leaves the other whole.
    KeyTable(const KeyTable& other);
    KeyTable& operator=(const KeyTable& other);
    KeyTable(KeyTable&&) = default;
    KeyTable& operator=(KeyTable&&) = default;

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
    // A renamed key gets a fresh salt, as every changed key does.
    RenameResult renameKey(QByteArrayView oldName, QByteArrayView newName);

    // Stores the change in a key in use. When any field differs from what it held, the key gets a fresh salt: its
    // fields are then enciphered under key streams no earlier version of the file used, so two versions of one
    // key ring (a copy in a backup, the .bak beside a damaged ring) never XOR to the texts' XOR. A change that
    // changes nothing keeps the salt. Returns whether anything changed.
    bool changeKey(int slotNumber, const KeyChange& change);
    // A new salt for a key in use, from the same generator as a new key's, and held by no other key.
    void renewSalt(int slotNumber);

    // For the key ring reader: puts a record read from a file into the next slot.
    bool appendRecord(KeyRecord record);
    // Puts a record back where it was taken from (1 to keyCount + 1), as it is; later keys move up one slot.
    bool insertRecord(int slotNumber, KeyRecord record);

    // Wipes every slot (see release) and empties the table.
    void clear();

    friend bool operator==(const KeyTable& a, const KeyTable& b)
    {
        return a.m_keyCount == b.m_keyCount && a.m_slots == b.m_slots;
    }

private:
    QByteArray uniqueSalt() const;


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
// The same without a copy, for a look that needs none.
QByteArrayView usablePasswordView(const KeyRecord& record);

} // namespace tessary
