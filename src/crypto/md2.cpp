#include "crypto/md2.h"

#include <nettle/md2.h>
#include <nettle/version.h>

#include <algorithm>

namespace tessary {

void messageDigest2(const std::uint8_t* input, std::size_t length, std::uint8_t* output)
{
    md2_ctx context;
    md2_init(&context);
    md2_update(&context, length, input);
    md2_digest(&context, MD2_DIGEST_SIZE, output);
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

float getVersionNumber()
{
    return static_cast<float>(nettle_version_major()) + static_cast<float>(nettle_version_minor()) / 10.0f;
}

} // namespace tessary
