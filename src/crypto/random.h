#pragma once

#include <QByteArray>

namespace tessary {

// The 62 characters random texts are made of; the digits run 1 to 9, then 0.
inline constexpr char randomAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890";
inline constexpr int randomAlphabetSize = sizeof(randomAlphabet) - 1;
inline constexpr qsizetype saltSize = 16;

// The alphabet's character for a fraction r in [0, 1): position Int(62 r).
char randomCharacterAt(double r);

// One random letter or digit. Drawn from the operating system's generator, which is never reset, so calls
// within one clock tick differ as much as any others.
char randomCharacter();

// A text of `length` random letters and digits: what the password boxes are overwritten with.
QByteArray randomPassword(qsizetype length);

// A fresh 16-byte key salt: 16 random bytes, then 5 to 14 rounds of MD2 over them.
QByteArray makeSalt();

} // namespace tessary
