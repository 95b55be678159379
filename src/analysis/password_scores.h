#pragma once

#include <QByteArrayView>

#include <array>
#include <cstdint>

namespace tessary {

// Weights of letter pairs, first index the previous letter, second the current one (0 = A ... 25 = Z).
using LetterPairTable = std::array<std::array<std::int16_t, 26>, 26>;

// The table the password wizard uses: it is cleared when the wizard loads and nothing ever fills it.
const LetterPairTable& letterPairTable();

// Grades of a candidate password (code-page bytes), as the strength meter draws them.
std::int16_t lengthScore(QByteArrayView password);
std::int16_t varietyScore(QByteArrayView password);
std::int16_t difficultyScore(QByteArrayView password, std::int16_t variety,
                             const LetterPairTable& pairs = letterPairTable());

} // namespace tessary
