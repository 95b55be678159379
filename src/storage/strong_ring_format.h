#pragma once

#include "crypto/sealing.h"
#include "storage/key_table.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace tessary {

// The strong key ring: the whole key table sealed as one text (XChaCha20-Poly1305) under a key made of the master
// password by Argon2id, with the clear header bound to it. Nothing in it can be changed, swapped, cut or put back
// from another copy without the seal failing; its size tells the key count only to the next KiB.
//
// Header, little-endian, 71 bytes: "TESSARY-RING", version (2), KDF (1: Argon2id 1.3), passes (4), memory in bytes
// (8), salt (16), nonce (24, new at every save), the sealed text's length (4). Then the sealed text and its tag, to
// the end of the file. The text: generation (8, one more at every save), the owner's user name (2 + bytes), the key
// count (2), each key as a key ring record (five texts of 2 + bytes, the two creation doubles, the 16-byte salt), and
// zeros to the next multiple of 1024 bytes.

inline constexpr QByteArrayView strongRingMagic = "TESSARY-RING";
inline constexpr std::uint16_t strongRingVersion = 1;
inline constexpr std::uint8_t strongRingArgon2id = 1;
inline constexpr qsizetype strongRingHeaderSize = 71;
inline constexpr qsizetype strongRingPadding = 1024;
// Room for 255 keys with every text at its 16-bit limit, as the classic format has.
inline constexpr qint64 strongRingSizeLimit =
    strongRingHeaderSize + 8 + 2 + 0xFFFF + 2 + 255 * (42 + 5 * qint64(0xFFFF)) + strongRingPadding + 16;

bool isStrongRing(QByteArrayView fileStart);

struct StrongHeader
{
    KdfParameters kdf;
    SealingNonce nonce{};
};

// Reads the header of a whole strong ring; an empty string when it is sound, else what is wrong with it.
QString readStrongHeader(QByteArrayView file, StrongHeader& header);

// What the seal holds besides the keys.
struct StrongContent
{
    std::uint64_t generation = 0;
    QByteArray owner; // the user name, code-page bytes: a ring put in place of another user's is noticed
    KeyTable table;   // in clear
};

// The whole file, sealed anew under `key` (made with `kdf`) with a fresh nonce; empty, with `error` set, when a
// text is longer than 16 bits can count.
QByteArray sealStrongRing(std::uint64_t generation, QByteArrayView owner, const KeyTable& table,
                          const KdfParameters& kdf, const LockedBytes& key, QString* error = nullptr);

enum class StrongOpen {
    Opened,
    WrongKey,  // the seal does not fit: another password, or a change anywhere (the two cannot be told apart)
    Malformed, // sealed by this key, yet not a key ring's text: `message` says what is wrong
};
StrongOpen openStrongRing(QByteArrayView file, const StrongHeader& header, const LockedBytes& key,
                          StrongContent& content, QString* message = nullptr);

} // namespace tessary
