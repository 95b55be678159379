#pragma once

#include "crypto/random.h"
#include "crypto/wipe.h"

#include <QByteArray>

#include <array>

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
    // The five texts, in the order on disk.
    std::array<QByteArray*, 5> texts() { return {&name, &userName, &url, &description, &password}; }
    friend bool operator==(const KeyRecord&, const KeyRecord&) = default;
};

// A copy whose texts (and salt) have blocks of their own: wiping the record it came from leaves it whole.
inline KeyRecord ownCopy(const KeyRecord& record)
{
    KeyRecord copy = record;
    for (QByteArray* text : copy.texts())
        text->detach();
    copy.salt.detach();
    return copy;
}

} // namespace tessary
