#include "crypto/password_generator.h"

#include <QFile>
#include <QRandomGenerator>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace tessary {

namespace {

constexpr GeneratorOptions::Class classOrder[] = {GeneratorOptions::Upper, GeneratorOptions::Lower,
                                                  GeneratorOptions::Digits, GeneratorOptions::Symbols};
constexpr char lookAlikes[] = "0Oo1lI|";

// The longest word of the list, which bounds how many fit in a password.
constexpr qsizetype longestWord = 10;

QList<GeneratorOptions::Class> chosenClasses(unsigned classes)
{
    QList<GeneratorOptions::Class> chosen;
    for (GeneratorOptions::Class c : classOrder) {
        if (classes & c)
            chosen.append(c);
    }
    return chosen;
}

// log2 of how many passwords of `length` characters from these alphabets hold one of each at least: by inclusion
// and exclusion over the classes left out, relative to all passwords of the union so that nothing overflows.
double charactersBits(const QList<qsizetype>& sizes, int length)
{
    qsizetype total = 0;
    for (qsizetype size : sizes)
        total += size;
    const qsizetype subsets = qsizetype(1) << sizes.size();
    double share = 0;
    for (qsizetype subset = 0; subset < subsets; ++subset) {
        qsizetype left = 0;
        int count = 0;
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            if (subset & (qsizetype(1) << i)) {
                left += sizes[i];
                ++count;
            }
        }
        const double term = std::pow(double(total - left) / double(total), length);
        share += count % 2 ? -term : term;
    }
    return length * std::log2(double(total)) + std::log2(share);
}

bool printable(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 32 && code != 127;
}

} // namespace

RandomSource systemRandomSource()
{
    return [] { return QRandomGenerator::system()->generate(); };
}

quint32 uniformBelow(quint32 bound, const RandomSource& random)
{
    // The largest multiple of `bound` the 32 bits reach; draws at or above it are not used.
    constexpr quint64 range = quint64(std::numeric_limits<quint32>::max()) + 1;
    const quint64 limit = range - range % bound;
    for (;;) {
        const quint32 value = random();
        if (value < limit)
            return value % bound;
    }
}

QByteArray classAlphabet(GeneratorOptions::Class characterClass, bool noLookAlikes)
{
    QByteArray alphabet;
    for (int code = 33; code < 127; ++code) {
        const char c = char(code);
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        const bool digit = c >= '0' && c <= '9';
        const bool member = characterClass == GeneratorOptions::Upper     ? upper
                            : characterClass == GeneratorOptions::Lower   ? lower
                            : characterClass == GeneratorOptions::Digits  ? digit
                            : characterClass == GeneratorOptions::Symbols ? !upper && !lower && !digit
                                                                          : false;
        if (member && !(noLookAlikes && std::strchr(lookAlikes, c)))
            alphabet.append(c);
    }
    return alphabet;
}

int maximumWords(qsizetype separatorLength)
{
    return int((GeneratorOptions::maximumLength + separatorLength) / (longestWord + separatorLength));
}

QString generatorRefusal(const GeneratorOptions& options)
{
    if (options.kind == GeneratorOptions::Kind::Characters) {
        if (options.length < GeneratorOptions::minimumLength || options.length > GeneratorOptions::maximumLength)
            return QStringLiteral("The length must be from %1 to %2 characters.")
                .arg(GeneratorOptions::minimumLength)
                .arg(GeneratorOptions::maximumLength);
        if (chosenClasses(options.classes).isEmpty())
            return QStringLiteral("Choose at least one kind of character.");
        return {};
    }
    if (passphraseWords().isEmpty())
        return QStringLiteral("The word list is missing from this build.");
    for (char c : options.separator) {
        if (!printable(c))
            return QStringLiteral("The separator must be printable characters.");
    }
    const int most = maximumWords(options.separator.size());
    if (options.words < GeneratorOptions::minimumWords || options.words > most)
        return QStringLiteral("The number of words must be from %1 to %2 with this separator.")
            .arg(GeneratorOptions::minimumWords)
            .arg(most);
    return {};
}

GeneratedPassword generatePassword(const GeneratorOptions& options, const RandomSource& random)
{
    GeneratedPassword result;
    if (!generatorRefusal(options).isEmpty())
        return result;

    if (options.kind == GeneratorOptions::Kind::Words) {
        const QList<QByteArray>& words = passphraseWords();
        for (int i = 0; i < options.words; ++i) {
            if (i > 0)
                result.password.append(options.separator);
            result.password.append(words.at(uniformBelow(quint32(words.size()), random)));
        }
        result.bits = options.words * std::log2(double(words.size()));
        return result;
    }

    QByteArray alphabet;
    QList<qsizetype> ends; // where each chosen class's characters end in the alphabet
    QList<qsizetype> sizes;
    for (GeneratorOptions::Class c : chosenClasses(options.classes)) {
        const QByteArray members = classAlphabet(c, options.noLookAlikes);
        alphabet.append(members);
        ends.append(alphabet.size());
        sizes.append(members.size());
    }
    QByteArray password(options.length, '\0');
    for (;;) {
        unsigned seen = 0;
        for (char& c : password) {
            const quint32 index = uniformBelow(quint32(alphabet.size()), random);
            c = alphabet.at(index);
            qsizetype which = 0;
            while (index >= ends.at(which))
                ++which;
            seen |= 1U << which;
        }
        if (seen == (1U << ends.size()) - 1)
            break;
    }
    result.password = std::move(password);
    result.bits = charactersBits(sizes, options.length);
    return result;
}

const QList<QByteArray>& passphraseWords()
{
    static const QList<QByteArray> words = [] {
        QList<QByteArray> list;
        QFile file(QStringLiteral(":/tessary/words/eff_large_wordlist.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return list;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QByteArray word = line.trimmed();
            if (!word.isEmpty() && word.size() <= longestWord)
                list.append(word);
        }
        return list;
    }();
    return words;
}

} // namespace tessary
