#pragma once

#include "crypto/locked_memory.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

namespace tessary {

struct KeyRecord;
class KeyTable;

// What a login knows: the master password's code-page bytes and its digest (the master key); for a strong key
// ring, the key made of the password that seals it, in locked memory.
struct MasterSecret
{
    MasterSecret() = default;
    MasterSecret(QByteArray password_, QByteArray key_, std::shared_ptr<const LockedBytes> sealingKey_ = nullptr)
        : password(std::move(password_)), key(std::move(key_)), sealingKey(std::move(sealingKey_))
    {
    }

    QByteArray password;
    QByteArray key;
    std::shared_ptr<const LockedBytes> sealingKey;
};

// The five digests a record's field keys take, one a field, chained from its salt. They depend on the salt alone.
using FieldChain = std::array<std::array<std::uint8_t, 16>, 5>;
FieldChain fieldChain(QByteArrayView salt);

// fieldChain of each salt, into `chains` (as long as `salts`); the chains are digested side by side.
void fieldChains(std::span<const QByteArrayView> salts, std::span<FieldChain> chains);

// Enciphers or deciphers (RC4 is its own inverse) the five text fields of one record in place. The salt and the
// dates are left alone.
void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret);
void cryptKeyRecord(KeyRecord& record, const MasterSecret& secret, const FieldChain& chain);

// cryptKeyRecord over slots 1 to keyCount.
void cryptKeyTable(KeyTable& table, const MasterSecret& secret);

// A login's work on two cores: the password's digest here while another thread computes the records' salt
// chains (the two threads share what is left of the chains once the digest is done), then, when the digest is the
// stored one, the table deciphered in place. Returns the digest (empty for an empty password); the table is left
// as it was when the digest differs from `storedDigest`.
QByteArray unlockKeyTable(KeyTable& table, QByteArrayView password, QByteArrayView storedDigest);

} // namespace tessary
