// The password generator: classes and lengths, the draw's evenness and passphrases.
#include "crypto/password_generator.h"

#include <QTest>

#include <cmath>

using namespace tessary;

namespace {

// The upper tail of the chi-square distribution at `degrees`, by Wilson and Hilferty's cube-root approximation:
// close enough to tell an even draw from a biased one.
double chiSquareTail(double statistic, int degrees)
{
    const double k = degrees;
    const double z = (std::cbrt(statistic / k) - (1 - 2 / (9 * k))) / std::sqrt(2 / (9 * k));
    return 0.5 * std::erfc(z / std::sqrt(2.0));
}

double chiSquare(const QList<int>& counts, int draws)
{
    const double expected = double(draws) / double(counts.size());
    double sum = 0;
    for (int count : counts)
        sum += (count - expected) * (count - expected) / expected;
    return sum;
}

// 32-bit values from a list, then from a counter, so a test knows what is drawn.
RandomSource scripted(QList<quint32> values)
{
    auto next = std::make_shared<quint32>(0);
    auto queue = std::make_shared<QList<quint32>>(std::move(values));
    return [next, queue]() -> quint32 {
        if (!queue->isEmpty())
            return queue->takeFirst();
        return (*next)++;
    };
}

} // namespace

class TestPasswordGenerator : public QObject
{
    Q_OBJECT
private slots:
    void charactersHoldEveryChosenClass_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<unsigned>("classes");
        QTest::addColumn<bool>("noLookAlikes");
        QTest::addColumn<QByteArray>("alphabet"); // what every character must be one of
        const QByteArray symbols = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
        QTest::newRow("8, all four") << 8 << unsigned(GeneratorOptions::AllClasses) << false << QByteArray();
        QTest::newRow("128, all four") << 128 << unsigned(GeneratorOptions::AllClasses) << false << QByteArray();
        QTest::newRow("digits, no look-alikes")
            << 40 << unsigned(GeneratorOptions::Digits) << true << QByteArray("23456789");
        QTest::newRow("symbols, no look-alikes")
            << 40 << unsigned(GeneratorOptions::Symbols) << true << QByteArray(symbols).replace("|", "");
        QTest::newRow("letters, no look-alikes")
            << 64 << unsigned(GeneratorOptions::Upper | GeneratorOptions::Lower) << true
            << QByteArray("ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnpqrstuvwxyz");
    }

    void charactersHoldEveryChosenClass()
    {
        QFETCH(int, length);
        QFETCH(unsigned, classes);
        QFETCH(bool, noLookAlikes);
        QFETCH(QByteArray, alphabet);
        GeneratorOptions options;
        options.length = length;
        options.classes = classes;
        options.noLookAlikes = noLookAlikes;
        for (int round = 0; round < 200; ++round) {
            const QByteArray password = generatePassword(options).password;
            QCOMPARE(password.size(), length);
            for (GeneratorOptions::Class c : {GeneratorOptions::Upper, GeneratorOptions::Lower,
                                              GeneratorOptions::Digits, GeneratorOptions::Symbols}) {
                const QByteArray members = classAlphabet(c, noLookAlikes);
                const bool holds =
                    std::any_of(password.begin(), password.end(), [&](char ch) { return members.contains(ch); });
                QCOMPARE(holds, bool(classes & c));
            }
            for (char ch : password) {
                QVERIFY(ch > ' ' && ch < 127);
                if (!alphabet.isEmpty())
                    QVERIFY2(alphabet.contains(ch), password.constData());
            }
        }
    }

    // Draws that would favour the low numbers are thrown away: with a bound of 3, 2^32 - 1 lies in the part the
    // 32 bits cannot fill evenly (2^32 = 3 x 1431655765 + 1).
    void unevenTopIsDrawnAgain()
    {
        const quint32 top = 0xFFFFFFFFU;
        QCOMPARE(uniformBelow(3, scripted({top, 5})), 2U);
        QCOMPARE(uniformBelow(3, scripted({top - 1, 5})), (top - 1) % 3);
        QCOMPARE(uniformBelow(1U << 31, scripted({top})), top % (1U << 31)); // a power of two wastes nothing
    }

    // Each of the 94 characters equally likely, and each of the 7776 words: a chi-square over 100,000 draws.
    void drawsAreEven_data()
    {
        QTest::addColumn<bool>("words");
        QTest::newRow("characters") << false;
        QTest::newRow("words") << true;
    }

    void drawsAreEven()
    {
        QFETCH(bool, words);
        constexpr int draws = 100000;
        const QList<QByteArray>& list = passphraseWords();
        QByteArray alphabet;
        for (GeneratorOptions::Class c :
             {GeneratorOptions::Upper, GeneratorOptions::Lower, GeneratorOptions::Digits, GeneratorOptions::Symbols})
            alphabet += classAlphabet(c, false);
        QCOMPARE(alphabet.size(), 94);
        QHash<QByteArray, int> index;
        if (words) {
            for (qsizetype i = 0; i < list.size(); ++i)
                index.insert(list[i], int(i));
        }
        QList<int> counts(words ? list.size() : alphabet.size(), 0);
        GeneratorOptions options;
        options.kind = words ? GeneratorOptions::Kind::Words : GeneratorOptions::Kind::Characters;
        options.words = 10;
        options.separator = " ";
        options.length = 100; // long enough that needing all four classes almost never redraws
        for (int made = 0; made < draws;) {
            const QByteArray password = generatePassword(options).password;
            for (const QByteArray& piece : words ? password.split(' ') : QList<QByteArray>{}) {
                ++counts[index.value(piece, -1)];
                ++made;
            }
            if (!words) {
                for (char ch : password)
                    ++counts[alphabet.indexOf(ch)];
                made += int(password.size());
            }
        }
        int total = 0;
        for (int count : counts)
            total += count;
        const double tail = chiSquareTail(chiSquare(counts, total), int(counts.size()) - 1);
        QVERIFY2(tail > 1e-6, qPrintable(QString::number(tail)));

        // The same test sees the bias a plain modulo of a byte gives 94 characters.
        QList<int> biased(94, 0);
        for (int i = 0; i < draws; ++i)
            ++biased[(i % 256) % 94];
        QVERIFY(chiSquareTail(chiSquare(biased, draws), 93) < 1e-6);
    }

    void passphrasesHaveTheirWordCount_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<QByteArray>("separator");
        QTest::newRow("1") << 1 << QByteArray(".");
        QTest::newRow("6") << 6 << QByteArray(".");
        QTest::newRow("11") << 11 << QByteArray(".");
    }

    void passphrasesHaveTheirWordCount()
    {
        QFETCH(int, words);
        QFETCH(QByteArray, separator);
        QCOMPARE(passphraseWords().size(), 7776);
        GeneratorOptions options;
        options.kind = GeneratorOptions::Kind::Words;
        options.words = words;
        options.separator = separator;
        for (int round = 0; round < 100; ++round) {
            const GeneratedPassword made = generatePassword(options);
            const QList<QByteArray> pieces = made.password.split(separator.at(0));
            QCOMPARE(pieces.size(), qsizetype(words));
            for (const QByteArray& piece : pieces)
                QVERIFY2(passphraseWords().contains(piece), made.password.constData());
            QCOMPARE(made.bits, words * std::log2(7776.0));
        }
    }
};

QTEST_GUILESS_MAIN(TestPasswordGenerator)
#include "test_password_generator.moc"
