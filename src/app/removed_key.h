#pragma once

#include "crypto/wipe.h"
#include "storage/key_record.h"

#include <utility>

namespace tessary {

// The last key deleted, held whole (salt and stamp too) so that Undo Delete can put it back; wiped when it is
// taken back, replaced or forgotten, and when its holder goes.
class RemovedKey
{
public:
    RemovedKey() = default;
    ~RemovedKey() { forget(); }
    RemovedKey(const RemovedKey&) = delete;
    RemovedKey& operator=(const RemovedKey&) = delete;

    bool isHeld() const { return m_slot > 0; }
    const KeyRecord& record() const { return m_record; }
    // The slot it was deleted from.
    int slot() const { return m_slot; }

    void hold(KeyRecord record, int slotNumber)
    {
        forget();
        m_record = std::move(record);
        m_slot = slotNumber;
    }

    void forget()
    {
        for (QByteArray* field : {&m_record.name, &m_record.userName, &m_record.url, &m_record.description,
                                  &m_record.password, &m_record.salt})
            wipe(*field);
        m_record = KeyRecord{};
        m_slot = 0;
    }

private:
    KeyRecord m_record;
    int m_slot = 0;
};

} // namespace tessary
