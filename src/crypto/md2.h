#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <span>

namespace tessary {

inline constexpr qsizetype digestSize = 16;

// MD2 (RFC 1319) of the first `length` bytes of `input`. A length outside 0..input.size() is clamped, so the
// digest never reads past the input. Every digest the key ring files hold is made here.
QByteArray messageDigest2(QByteArrayView input, qsizetype length);

// The same, into a caller's 16-byte buffer; for the hot loops that chain digests.
void messageDigest2(const std::uint8_t* input, std::size_t length, std::uint8_t* output);

// Replaces each 16-byte block by its MD2 digest, `rounds` times over: the same bytes as messageDigest2(block, 16,
// block) applied `rounds` times, but made for the chains a login digests. Blocks are worked on eight at a time, side
// by side, so that their table look-ups overlap; one block alone runs at the pace of one look-up after another.
void redigest(std::span<std::uint8_t* const> blocks, int rounds = 1);

} // namespace tessary
