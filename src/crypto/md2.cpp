#include "crypto/md2.h"

#include "crypto/wipe.h"

#include <nettle/md2.h>

#include <algorithm>
#include <array>

namespace tessary {

namespace {

// RFC 1319's substitution, a permutation of the bytes drawn from the digits of pi. Aligned to its size, so that an
// entry's address is the table's address with the index as its low byte.
// clang-format off
alignas(256) constexpr std::array<std::uint8_t, 256> substitution{
     41,  46,  67, 201, 162, 216, 124,   1,  61,  54,  84, 161, 236, 240,   6,  19,
     98, 167,   5, 243, 192, 199, 115, 140, 152, 147,  43, 217, 188,  76, 130, 202,
     30, 155,  87,  60, 253, 212, 224,  22, 103,  66, 111,  24, 138,  23, 229,  18,
    190,  78, 196, 214, 218, 158, 222,  73, 160, 251, 245, 142, 187,  47, 238, 122,
    169, 104, 121, 145,  21, 178,   7,  63, 148, 194,  16, 137,  11,  34,  95,  33,
    128, 127,  93, 154,  90, 144,  50,  39,  53,  62, 204, 231, 191, 247, 151,   3,
    255,  25,  48, 179,  72, 165, 181, 209, 215,  94, 146,  42, 172,  86, 170, 198,
     79, 184,  56, 210, 150, 164, 125, 182, 118, 252, 107, 226, 156, 116,   4, 241,
     69, 157, 112,  89, 100, 113, 135,  32, 134,  91, 207, 101, 230,  45, 168,   2,
     27,  96,  37, 173, 174, 176, 185, 246,  28,  70,  97, 105,  52,  64, 126,  15,
     85,  71, 163,  35, 221,  81, 175,  58, 195,  92, 249, 206, 186, 197, 234,  38,
     44,  83,  13, 110, 133,  40, 132,   9, 211, 223, 205, 244,  65, 129,  77,  82,
    106, 220,  55, 200, 108, 193, 171, 250,  36, 225, 123,   8,  12, 189, 177,  74,
    120, 136, 149, 139, 227,  99, 232, 109, 233, 203, 213, 254,  59,   0,  29,  57,
    242, 239, 183,  14, 102,  88, 208, 228, 166, 119, 114, 248, 235, 117,  75,  10,
     49,  68,  80, 180, 143, 237,  31,  26, 219, 153, 141,  51, 159,  17, 131,  20
};
// clang-format on

constexpr std::size_t blockSize = 16;
constexpr unsigned roundCount = 18;
// A 16-byte message is padded with a whole block of 16s.
constexpr std::uint8_t padding = blockSize;

// MD2 of a 16-byte block in each of `Lanes` lanes, in place. A digest is a chain of 2,592 look-ups, each taking
// the last one's result for its index; the lanes' chains are independent, so side by side they overlap. The
// 48-byte state is held as entry addresses (the table's address with the state byte below it): the next look-up's
// address is then the state XOR the last entry, one instruction after the load.
template <std::size_t Lanes>
void digestLanes(std::uint8_t* const* blocks)
{
    using Entry = std::uintptr_t;
    const Entry table = reinterpret_cast<Entry>(substitution.data());
    const auto look = [](Entry address) { return *reinterpret_cast<const std::uint8_t*>(address); };

    // The checksum covers message and padding.
    std::array<std::array<std::uint8_t, blockSize>, Lanes> checksum{};
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
        std::uint8_t last = 0;
        for (std::size_t i = 0; i < blockSize; ++i)
            last = checksum[lane][i] ^= substitution[blocks[lane][i] ^ last];
        for (std::size_t i = 0; i < blockSize; ++i)
            last = checksum[lane][i] ^= substitution[padding ^ last];
    }

    std::array<std::array<Entry, Lanes>, 3 * blockSize> state;
    for (std::size_t i = 0; i < blockSize; ++i)
        state[i].fill(table);
    const auto compress = [&](const auto& byteAt) {
        for (std::size_t i = 0; i < blockSize; ++i) {
            for (std::size_t lane = 0; lane < Lanes; ++lane) {
                const std::uint8_t byte = byteAt(lane, i);
                state[blockSize + i][lane] = table | byte;
                state[2 * blockSize + i][lane] = state[i][lane] ^ byte;
            }
        }
        std::array<Entry, Lanes> last;
        last.fill(table);
        for (unsigned round = 0; round < roundCount; ++round) {
#pragma GCC unroll 48
            for (std::size_t j = 0; j < 3 * blockSize; ++j) {
#pragma GCC unroll 8
                for (std::size_t lane = 0; lane < Lanes; ++lane)
                    last[lane] = state[j][lane] ^= look(last[lane]);
            }
            for (std::size_t lane = 0; lane < Lanes; ++lane)
                last[lane] = table | ((last[lane] + round) & 0xff);
        }
    };
    compress([&](std::size_t lane, std::size_t i) { return blocks[lane][i]; });
    compress([](std::size_t, std::size_t) { return padding; });
    compress([&](std::size_t lane, std::size_t i) { return checksum[lane][i]; });

    for (std::size_t lane = 0; lane < Lanes; ++lane) {
        for (std::size_t i = 0; i < blockSize; ++i)
            blocks[lane][i] = static_cast<std::uint8_t>(state[i][lane]);
    }
}

} // namespace

void messageDigest2(const std::uint8_t* input, std::size_t length, std::uint8_t* output)
{
    md2_ctx context;
    md2_init(&context);
    md2_update(&context, length, input);
    md2_digest(&context, MD2_DIGEST_SIZE, output);
    wipe(&context, sizeof context); // it holds the input's last block: a password's, for the login's digest
}

QByteArray messageDigest2(QByteArrayView input, qsizetype length)
{
    static_assert(MD2_DIGEST_SIZE == digestSize);
    const auto used = std::clamp<qsizetype>(length, 0, input.size());
    QByteArray output(digestSize, '\0');
    messageDigest2(reinterpret_cast<const std::uint8_t*>(input.data()), static_cast<std::size_t>(used),
                   reinterpret_cast<std::uint8_t*>(output.data()));
    return output;
}

void redigest(std::span<std::uint8_t* const> blocks, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        auto rest = blocks;
        for (; rest.size() >= 8; rest = rest.subspan(8))
            digestLanes<8>(rest.data());
        if (rest.size() >= 4) {
            digestLanes<4>(rest.data());
            rest = rest.subspan(4);
        }
        if (rest.size() >= 2) {
            digestLanes<2>(rest.data());
            rest = rest.subspan(2);
        }
        if (!rest.empty())
            digestLanes<1>(rest.data());
    }
}

} // namespace tessary
