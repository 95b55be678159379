#include "crypto/random.h"

#include "crypto/md2.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace tessary {

char randomCharacterAt(double r)
{
    const int index = static_cast<int>(std::floor(randomAlphabetSize * r));
    return randomAlphabet[std::clamp(index, 0, randomAlphabetSize - 1)];
}

char randomCharacter()
{
    return randomCharacterAt(QRandomGenerator::system()->generateDouble());
}

QByteArray randomPassword(qsizetype length)
{
    QByteArray password(length, '\0');
    for (char& c : password)
        c = randomCharacter();
    return password;
}

QByteArray makeSalt()
{
    // The salt is all that makes each key's RC4 keystream its own, so it must come from the system's source: a
    // generator seeded from the clock (or any seed) gives two keys made within the same second the same salt, and
    // a seed that can be guessed gives every salt away.
    auto* generator = QRandomGenerator::system();
    QByteArray salt(saltSize, '\0');
    for (char& byte : salt)
        byte = static_cast<char>(generator->bounded(256));
    const int rounds = 5 + static_cast<int>(generator->bounded(10));
    for (int i = 0; i < rounds; ++i)
        salt = messageDigest2(salt, saltSize);
    return salt;
}

} // namespace tessary
