#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace tessary {

// What the strength meter draws for one candidate password: the three breakdown bars and the Score bar.
struct MeterScores
{
    std::int16_t length = 0;
    std::int16_t variety = 0;
    std::int16_t difficulty = 0; // may exceed 100; its bar shows at most 100
    std::int16_t total = 0;      // 0 to 100
};

// The meter's recompute for a password (code-page bytes).
MeterScores meterScores(QByteArrayView password);

// A master password New User warns of (it does not refuse it): under 8 characters, or a meter total under 40,
// which a password of letters of one case alone gets up to 11 characters.
bool weakMasterPassword(QByteArrayView password);

// The captions of the meter's four bars: "Length:", "Varity:", "Difficulty:" and "Score:".
QString lengthCaption();
QString varietyCaption();
QString difficultyCaption();
QString scoreCaption();

} // namespace tessary
