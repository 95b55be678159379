#pragma once

#include "crypto/random.h"

#include <QByteArray>

namespace tessary {

// One stored key. Text fields hold code-page bytes: clear while the key browser shows them, enciphered on disk
// and between reading a key ring and deciphering it. The field order is the order on disk.
struct KeyRecord
{
    QByteArray name;
    QByteArray userName;
    QByteArray url;
    QByteArray description;
    double dateCreated = 0.0; // OLE Automation date, whole days
    double timeCreated = 0.0; // fraction of a day
    QByteArray password;
    QByteArray salt = QByteArray(saltSize, '\0'); // always exactly 16 bytes

    bool isFree() const { return name.isEmpty(); }
    friend bool operator==(const KeyRecord&, const KeyRecord&) = default;
};

} // namespace tessary
