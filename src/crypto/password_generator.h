#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace tessary {

// What the generator makes: random characters of the chosen classes, or a passphrase of words from the word list.
struct GeneratorOptions
{
    enum Class : unsigned
    {
        Upper = 1,
        Lower = 2,
        Digits = 4,
        Symbols = 8, // the printable ASCII punctuation, no blank
        AllClasses = Upper | Lower | Digits | Symbols,
    };
    enum class Kind
    {
        Characters,
        Words
    };

    static constexpr int minimumLength = 8;
    static constexpr int maximumLength = 128;
    static constexpr int defaultLength = 20;
    static constexpr int minimumWords = 1;
    static constexpr int defaultWords = 6;

    Kind kind = Kind::Characters;
    int length = defaultLength;
    unsigned classes = AllClasses;
    bool noLookAlikes = false; // leaves out 0 O o 1 l I |
    int words = defaultWords;
    QByteArray separator = "-";
};

// 32 random bits; the system's generator unless a test scripts it.
using RandomSource = std::function<quint32()>;
RandomSource systemRandomSource();

// A number below `bound` (1 to 2^32 - 1), every one equally likely: draws of the top part of the 32-bit range that
// would favour the low numbers are thrown away and drawn again.
quint32 uniformBelow(quint32 bound, const RandomSource& random);

// The characters one class contributes, look-alikes left out when asked.
QByteArray classAlphabet(GeneratorOptions::Class characterClass, bool noLookAlikes);

// The largest number of words whose passphrase still fits a key's password with this separator.
int maximumWords(qsizetype separatorLength);

// Why these options make no password (no class chosen, a length or word count out of range, a separator that
// would overflow the password), or empty when they make one.
QString generatorRefusal(const GeneratorOptions& options);

struct GeneratedPassword
{
    QByteArray password; // empty when the options were refused
    double bits = 0;     // the generator's entropy: log2 of how many passwords it could have made
};

// Characters: each drawn from the union of the chosen classes; a password that misses a chosen class is drawn
// again whole, so every password that has them all is equally likely. Words: each drawn from the word list.
GeneratedPassword generatePassword(const GeneratorOptions& options, const RandomSource& random = systemRandomSource());

// The passphrase words, 7776 of them, lower case (EFF's large list).
const QList<QByteArray>& passphraseWords();

} // namespace tessary
