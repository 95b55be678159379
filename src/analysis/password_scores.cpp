#include "analysis/password_scores.h"

#include <QByteArray>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <limits>

namespace tessary {

namespace {

// Rounds to the nearest integer, halves to the even neighbour, and keeps the result in 16 bits.
std::int16_t round16(double x)
{
    const double r = std::nearbyint(x);
    constexpr double low = std::numeric_limits<std::int16_t>::min();
    constexpr double high = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(r, low, high));
}

const QByteArrayView symbols(" ~!@#$%^&*()_+`-=[]\\{}|;':\",./<>? ");

int characterClass(char c)
{
    if (c >= 'a' && c <= 'z')
        return 1;
    if (c >= 'A' && c <= 'Z')
        return 2;
    if (c >= '0' && c <= '9')
        return 3;
    if (symbols.contains(c))
        return 4;
    return 5;
}

} // namespace

const LetterPairTable& letterPairTable()
{
    static const LetterPairTable table{};
    return table;
}

std::int16_t lengthScore(QByteArrayView password)
{
    const double length = static_cast<double>(password.size());
    if (length < 6)
        return 0;
    return std::min<std::int16_t>(round16(std::pow(length, 2) / 10 - 2), 100);
}

std::int16_t varietyScore(QByteArrayView password)
{
    if (password.size() < 6)
        return 0;
    std::bitset<256> seen;
    std::array<bool, 6> present{};
    for (char c : password) {
        seen.set(static_cast<unsigned char>(c));
        present[characterClass(c)] = true;
    }
    const std::int16_t p = round16(std::pow(static_cast<double>(seen.count()), 1.5));
    const std::int16_t d = round16(p / 10.0);
    float sum = 0.0f;
    for (int c = 1; c <= 5; ++c) {
        if (present[c])
            sum += static_cast<float>(std::pow(c + 1, 1.3) - c);
    }
    return std::min<std::int16_t>(round16(static_cast<float>(d) * sum), 100);
}

std::int16_t difficultyScore(QByteArrayView password, std::int16_t variety, const LetterPairTable& pairs)
{
    const auto length = password.size();
    if (length < 8)
        return 0;
    if (variety < 10)
        return 5;
    QByteArray letters;
    for (char c : password) {
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper >= 'A' && upper <= 'Z')
            letters.append(upper);
    }
    const auto k = letters.size();
    if (k < 4)
        return 100;
    std::int16_t total = 0;
    for (qsizetype n = 1; n < k; ++n) {
        const std::int16_t weight = pairs[letters[n - 1] - 'A'][letters[n] - 'A'];
        total = round16(static_cast<double>(weight) / static_cast<double>(k - 1) + total);
    }
    const std::int16_t p = std::clamp<std::int16_t>(round16((total - 450) / 20.0), 0, 100);
    return round16(static_cast<double>(length) / 2 + (100 - p));
}

} // namespace tessary
