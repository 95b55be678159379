#include "crypto/rc4.h"

#include <array>
#include <cstdint>
#include <utility>

namespace tessary {

void rc4Crypt(QByteArray& text, QByteArrayView key, int passes)
{
    const auto keyLength = key.size();
    if (keyLength == 0) {
        text.clear();
        return;
    }

    std::array<std::uint8_t, 256> state{};
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<std::uint8_t>(i);

    const auto* keyBytes = reinterpret_cast<const std::uint8_t*>(key.data());
    std::uint8_t j = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < 256; ++i) {
            j = static_cast<std::uint8_t>(j + state[i] + keyBytes[i % keyLength]);
            std::swap(state[i], state[j]);
        }
    }

    std::uint8_t i = 0;
    j = 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(text.data());
    for (qsizetype n = 0; n < text.size(); ++n) {
        i = static_cast<std::uint8_t>(i + 1);
        j = static_cast<std::uint8_t>(j + state[i]);
        std::swap(state[i], state[j]);
        bytes[n] ^= state[static_cast<std::uint8_t>(state[i] + state[j])];
    }
}

} // namespace tessary
