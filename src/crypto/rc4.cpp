#include "crypto/rc4.h"

#include "crypto/wipe.h"

#include <algorithm>
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

    // The key repeated to the schedule's length, so that no step divides.
    std::array<std::uint8_t, 256> schedule;
    const auto* keyBytes = reinterpret_cast<const std::uint8_t*>(key.data());
    for (std::size_t i = 0; i < schedule.size(); i += static_cast<std::size_t>(keyLength))
        std::copy_n(keyBytes, std::min(schedule.size() - i, static_cast<std::size_t>(keyLength)), schedule.data() + i);

    std::uint8_t j = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < 256; ++i) {
            j = static_cast<std::uint8_t>(j + state[i] + schedule[i]);
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
    // The schedule is the key text (the master password first), and the state is made from it.
    wipe(schedule.data(), schedule.size());
    wipe(state.data(), state.size());
}

} // namespace tessary
