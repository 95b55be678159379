#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace tessary {

inline constexpr qsizetype digestSize = 16;

// MD2 (RFC 1319) of the first `length` bytes of `input`. A length outside 0..input.size() is clamped, so the
// digest never reads past the input. Every digest the key ring files hold is made here.
QByteArray messageDigest2(QByteArrayView input, qsizetype length);

// The same, into a caller's 16-byte buffer; for the hot loops that chain digests.
void messageDigest2(const std::uint8_t* input, std::size_t length, std::uint8_t* output);

// The version of the library that computes the digests, for the About window.
float getVersionNumber();

} // namespace tessary
