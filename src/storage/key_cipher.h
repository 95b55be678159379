#pragma once

#include <QByteArray>

namespace tessary {

struct KeyRecord;
class KeyTable;

// What a login knows: the master password's code-page bytes and its digest (the master key).
struct MasterSecret
{
    QByteArray password;
    QByteArray key;
};

// Enciphers or deciphers (RC4 is its own inverse) the five text fields of one record in place. The salt and the
// dates are left alone.
void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret);

// cryptKeyRecord over slots 1 to keyCount.
void cryptKeyTable(KeyTable& table, const MasterSecret& secret);

} // namespace tessary
