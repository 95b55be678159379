#include "analysis/strength_meter.h"

#include "analysis/password_scores.h"

#include <algorithm>
#include <cmath>

namespace tessary {

MeterScores meterScores(QByteArrayView password)
{
    MeterScores scores;
    scores.length = lengthScore(password);
    scores.variety = varietyScore(password);
    scores.difficulty = difficultyScore(password, scores.variety);

    // The full difficulty counts, even where its bar stops at 100; long passwords earn a bonus on top.
    int total = scores.length + scores.variety + scores.difficulty;
    if (password.size() > 32)
        total += 2 * static_cast<int>(password.size() - 32);
    const double third = std::nearbyint(total / 3.0);
    scores.total = static_cast<std::int16_t>(std::min(third, 100.0));
    return scores;
}

bool weakMasterPassword(QByteArrayView password)
{
    return password.size() < 8 || meterScores(password).total < 40;
}

QString lengthCaption()
{
    return QStringLiteral("Length:");
}

QString varietyCaption()
{
    return QStringLiteral("Varity:");
}

QString difficultyCaption()
{
    return QStringLiteral("Difficulty:");
}

QString scoreCaption()
{
    return QStringLiteral("Score:");
}

} // namespace tessary
