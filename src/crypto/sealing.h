#pragma once

#include "crypto/locked_memory.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>

namespace tessary {

// The two primitives of a strong key ring, from libsodium: Argon2id to make a key of a master password, and
// XChaCha20-Poly1305 to seal a text under it, so that any change to the text or to what is bound to it is found.

inline constexpr std::size_t sealingKeySize = 32;
inline constexpr std::size_t sealingNonceSize = 24;
inline constexpr std::size_t sealingTagSize = 16;
inline constexpr std::size_t kdfSaltSize = 16;

struct KdfParameters
{
    // 4 passes over 256 MiB take 0.56 s here: under 2 guesses a second on a core, a login well under a second.
    std::uint32_t passes = 4;                 // Argon2id's opslimit
    std::uint64_t memory = 256ull << 20;      // bytes
    std::array<std::uint8_t, kdfSaltSize> salt{};

    // What a reader accepts, so that a hostile file cannot make it allocate or work without bound.
    static constexpr std::uint32_t mostPasses = 64;
    static constexpr std::uint64_t mostMemory = 4ull << 30;
    static constexpr std::uint32_t fewestPasses = 1;
    static constexpr std::uint64_t leastMemory = 8 * 1024;
    bool acceptable() const
    {
        return passes >= fewestPasses && passes <= mostPasses && memory >= leastMemory && memory <= mostMemory &&
               memory % 1024 == 0;
    }

    // These parameters with a new random salt.
    KdfParameters withFreshSalt() const;
    // The defaults with a new random salt.
    static KdfParameters fresh() { return KdfParameters{}.withFreshSalt(); }
};

using SealingNonce = std::array<std::uint8_t, sealingNonceSize>;
SealingNonce freshNonce();

// The key of `password` under `parameters`, into `key` (sealingKeySize bytes of locked memory). False when the
// parameters are refused or the memory they ask for cannot be had.
bool deriveKey(QByteArrayView password, const KdfParameters& parameters, LockedBytes& key);

// `text` sealed: its cipher text and tag, bound to `bound` (sent in clear beside it).
QByteArray seal(QByteArrayView text, QByteArrayView bound, const SealingNonce& nonce, const LockedBytes& key);

// The text of `sealed` into `text` (sealed.size() - sealingTagSize bytes of locked memory), or false when the tag
// does not fit: another key, or any change to the sealed bytes or to `bound`.
bool unseal(QByteArrayView sealed, QByteArrayView bound, const SealingNonce& nonce, const LockedBytes& key,
            LockedBytes& text);

} // namespace tessary
