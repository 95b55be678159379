// Keys added in one go, for an import.
#include "app/session.h"

#include "app/key_ring_import.h"

namespace tessary {

bool Session::addKeys(const QList<KeyRecord>& records, QString* error)
{
    if (!m_loggedIn) {
        if (error)
            *error = QStringLiteral("Nobody is logged in.");
        return false;
    }
    if (records.size() > KeyTable::capacity - m_ring.table.keyCount()) {
        if (error)
            *error = maximumKeysMessage();
        return false;
    }
    KeyTable before = m_ring.table;
    for (const KeyRecord& record : records) {
        m_ring.table.appendRecord(record); // a copy of its own: the caller wipes its records once done with them
        m_ring.table.renewSalt(m_ring.table.keyCount());
    }
    const bool saved = records.isEmpty() || save(error);
    if (!saved)
        m_ring.table = std::move(before);
    return saved;
}

} // namespace tessary
