#include "crypto/sealing.h"

#include <sodium.h>

namespace tessary {

KdfParameters KdfParameters::withFreshSalt() const
{
    KdfParameters parameters = *this;
    if (sodiumReady())
        ::randombytes_buf(parameters.salt.data(), parameters.salt.size());
    return parameters;
}

SealingNonce freshNonce()
{
    SealingNonce nonce{};
    if (sodiumReady())
        ::randombytes_buf(nonce.data(), nonce.size());
    return nonce;
}

bool deriveKey(QByteArrayView password, const KdfParameters& parameters, LockedBytes& key)
{
    if (!sodiumReady() || !parameters.acceptable() || !key.valid() || key.size() != sealingKeySize)
        return false;
    return ::crypto_pwhash(key.data(), key.size(), password.data(), static_cast<unsigned long long>(password.size()),
                           parameters.salt.data(), parameters.passes, static_cast<size_t>(parameters.memory),
                           crypto_pwhash_ALG_ARGON2ID13) == 0;
}

QByteArray seal(QByteArrayView text, QByteArrayView bound, const SealingNonce& nonce, const LockedBytes& key)
{
    QByteArray sealed(text.size() + qsizetype(sealingTagSize), Qt::Uninitialized);
    unsigned long long length = 0;
    ::crypto_aead_xchacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char*>(sealed.data()), &length, reinterpret_cast<const unsigned char*>(text.data()),
        static_cast<unsigned long long>(text.size()), reinterpret_cast<const unsigned char*>(bound.data()),
        static_cast<unsigned long long>(bound.size()), nullptr, nonce.data(), key.data());
    sealed.truncate(qsizetype(length));
    return sealed;
}

bool unseal(QByteArrayView sealed, QByteArrayView bound, const SealingNonce& nonce, const LockedBytes& key,
            LockedBytes& text)
{
    if (sealed.size() < qsizetype(sealingTagSize) || !text.valid() ||
        text.size() != std::size_t(sealed.size()) - sealingTagSize)
        return false;
    unsigned long long length = 0;
    return ::crypto_aead_xchacha20poly1305_ietf_decrypt(
               text.data(), &length, nullptr, reinterpret_cast<const unsigned char*>(sealed.data()),
               static_cast<unsigned long long>(sealed.size()), reinterpret_cast<const unsigned char*>(bound.data()),
               static_cast<unsigned long long>(bound.size()), nonce.data(), key.data()) == 0;
}

} // namespace tessary
