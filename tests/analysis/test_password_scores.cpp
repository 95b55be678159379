#include "analysis/password_scores.h"
#include "crypto/random.h"

#include <QList>
#include <QSet>
#include <QTest>

#include <cmath>
#include <cstdint>

using namespace tessary;

namespace {

// The characters random texts are made of, in order: the digits run 1 to 9, then 0.
const QByteArray alphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890");

struct PairWeight
{
    char previous;
    char current;
    std::int16_t weight;
};
using PairWeights = QList<PairWeight>;

} // namespace

Q_DECLARE_METATYPE(PairWeights)

class TestPasswordScores : public QObject
{
    Q_OBJECT

private slots:
    void lengthScore_data();
    void lengthScore();
    void varietyScore_data();
    void varietyScore();
    void difficultyScore_data();
    void difficultyScore();
    void difficultyScoreWithPairWeights_data();
    void difficultyScoreWithPairWeights();
    void randomCharacterAt_data();
    void randomCharacterAt();
    void randomCharacterAtEveryBoundary();
    void randomCharacterCoversAlphabet();
    void makeSaltIsFresh();
};

void TestPasswordScores::lengthScore_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("expected");

    // round(L * L / 10 - 2), halves to even, at most 100.
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("5") << 5 << 0;
    QTest::newRow("6") << 6 << 2;
    QTest::newRow("7") << 7 << 3;
    QTest::newRow("8") << 8 << 4;
    QTest::newRow("15, 20.5 to even") << 15 << 20;
    QTest::newRow("25, 60.5 to even") << 25 << 60;
    QTest::newRow("31") << 31 << 94;
    QTest::newRow("32") << 32 << 100;
    QTest::newRow("33") << 33 << 100;
    // L * L / 10 no longer fits 16 bits.
    QTest::newRow("1000") << 1000 << 100;
}

void TestPasswordScores::lengthScore()
{
    QFETCH(int, length);
    QFETCH(int, expected);

    QByteArray password;
    for (int i = 0; i < length; ++i)
        password.append(alphabet.at(i % alphabet.size()));
    QCOMPARE(int(tessary::lengthScore(password)), expected);
}

void TestPasswordScores::varietyScore_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("expected");

    // n different bytes, p = round(n^1.5), d = round(p / 10), then round(d * sum of class weights), at most 100.
    // Class weights: 1.4623 lower case, 2.1712 upper case, 3.0629 digits, 4.1033 symbols, 5.2706 anything else.
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("five characters") << QByteArray("abcde") << 0;
    // p = 15, d = 2: 2 * 1.4623
    QTest::newRow("six lower case") << QByteArray("abcdef") << 3;
    // p = 32, d = 3: 3 * 6.6964
    QTest::newRow("ten of three classes") << QByteArray("abcDEF1234") << 20;
    // p = 42, d = 4: 4 * 10.7997
    QTest::newRow("twelve of four classes") << QByteArray("abcDEF123!@#") << 43;
    // p = 89, d = 9: 9 * 15.0703, capped
    QTest::newRow("twenty of five classes") << QByteArray("abcdEFGH1234!@#$\xe9\xea\xeb\xec") << 100;
    // n = 1: p = 1, d = 0.
    QTest::newRow("one character repeated") << QByteArray("aaaaaaaa") << 0;
    // n = 5: p = 11, d = 1; counting characters instead (10) would give 4.
    QTest::newRow("repeats count once") << QByteArray("aabbccddee") << 1;
    // n = 25: p = 125, d = round(12.5) = 12, 12 * 1.4623 = 17.55.
    QTest::newRow("d rounds half to even") << QByteArray("abcdefghijklmnopqrstuvwxy") << 18;
    // Blank, double quote, backslash and apostrophe are symbols: 2 * (1.4623 + 4.1033).
    QTest::newRow("quote, backslash, blank") << QByteArray("ab \"\\'") << 11;
    // An accented letter is neither lower nor upper case: 2 * (1.4623 + 5.2706).
    QTest::newRow("accented letter is class 5") << QByteArray("abcde\xe9") << 13;
    QTest::newRow("zero byte is class 5") << QByteArrayLiteral("abcde\0") << 13;
}

void TestPasswordScores::varietyScore()
{
    QFETCH(QByteArray, password);
    QFETCH(int, expected);

    QCOMPARE(int(tessary::varietyScore(password)), expected);
}

void TestPasswordScores::difficultyScore_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("variety");
    QTest::addColumn<int>("expected");

    QTest::newRow("7 characters") << QByteArray("abcdefg") << 100 << 0;
    QTest::newRow("8 characters, variety 9") << QByteArray("abcdefgh") << 9 << 5;
    QTest::newRow("8 characters, variety 0") << QByteArray("abcdefgh") << 0 << 5;
    QTest::newRow("three letters") << QByteArray("abc12345") << 20 << 100;
    QTest::newRow("three letters, mixed case") << QByteArray("aB1C2345") << 20 << 100;
    // Lower case counts once upper-cased: four letters.
    QTest::newRow("four lower-case letters") << QByteArray("abcd1234") << 20 << 104;
    // Accented letters are not A to Z, upper case or lower.
    QTest::newRow("accented letters are not letters") << QByteArray("\xe9\xc9\xe9"
                                                                    "abc12")
                                                      << 20 << 100;
    // With no pair weights p is 0 and the result is round(L / 2 + 100), halves to even.
    QTest::newRow("8 characters, variety 10") << QByteArray("abcdefgh") << 10 << 104;
    QTest::newRow("9 characters") << QByteArray("abcdefghi") << 50 << 104;
    QTest::newRow("10 characters") << QByteArray("abcdefghij") << 50 << 105;
    QTest::newRow("11 characters") << QByteArray("abcdefghijk") << 50 << 106;
    QTest::newRow("12 characters") << QByteArray("abcdefghijkl") << 50 << 106;
    QTest::newRow("40 characters, above 100") << QByteArray(40, 'q') << 50 << 120;
}

void TestPasswordScores::difficultyScore()
{
    QFETCH(QByteArray, password);
    QFETCH(int, variety);
    QFETCH(int, expected);

    QCOMPARE(int(tessary::difficultyScore(password, static_cast<std::int16_t>(variety))), expected);
}

void TestPasswordScores::difficultyScoreWithPairWeights_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<PairWeights>("weights");
    QTest::addColumn<int>("expected");

    // Letters DDD, ten A, thirty B: 42 pairs. DD adds 19530 / 42 = 465 twice: 930. DA and AA add 0.5 each, and
    // round(930.5) stays 930 ten times. AB and BB add 1.5 each, and round(930 + 1.5) = 932, then 934, ... up to
    // 990 after thirty. p = round(540 / 20) = 27; 44 characters: round(22 + 73) = 95. Rounding halves away from
    // zero would end at 1000 (94), summing without rounding at 980 (96), truncating at 960 (96).
    QTest::newRow("total rounded at every step")
        << QByteArray("DDD" + QByteArray(10, 'A') + QByteArray(30, 'B') + '1')
        << PairWeights{{'D', 'D', 19530}, {'D', 'A', 21}, {'A', 'A', 21}, {'A', 'B', 63}, {'B', 'B', 63}} << 95;
    // Four AA pairs of 980 / 4 = 245: total 980, p = round(26.5) = 26, round(4 + 74) = 78.
    QTest::newRow("p rounds half to even") << QByteArray("AAAAA123") << PairWeights{{'A', 'A', 980}} << 78;
    // Letters ABBBB: AB adds 3920 / 4 = 980, BB nothing; total 980 as above. Nine characters: round(4.5 + 74) = 78.
    // Reading the table as (current, previous) would find BA = 0 and give 104.
    QTest::newRow("previous letter first, digits skipped")
        << QByteArray("a1B2b3B4b") << PairWeights{{'A', 'B', 3920}} << 78;
    // Total 4000: p = round(177.5) = 178, limited to 100: round(4 + 0) = 4.
    QTest::newRow("p limited to 100") << QByteArray("AAAAA123") << PairWeights{{'A', 'A', 4000}} << 4;
    // Total -4000: p = round(-222.5) = -222, limited to 0: round(4 + 100) = 104.
    QTest::newRow("p limited to 0") << QByteArray("AAAAA123") << PairWeights{{'A', 'A', -4000}} << 104;
}

void TestPasswordScores::difficultyScoreWithPairWeights()
{
    QFETCH(QByteArray, password);
    QFETCH(PairWeights, weights);
    QFETCH(int, expected);

    LetterPairTable table{};
    for (const PairWeight& pair : weights)
        table[pair.previous - 'A'][pair.current - 'A'] = pair.weight;
    QCOMPARE(int(tessary::difficultyScore(password, 50, table)), expected);
}

void TestPasswordScores::randomCharacterAt_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<char>("expected");

    QTest::newRow("0") << 0.0 << 'a';
    QTest::newRow("just below 1") << std::nextafter(1.0, 0.0) << '0';
    // 62 * 0.5 = 31 exactly: the first character of the second half.
    QTest::newRow("one half") << 0.5 << 'F';
    QTest::newRow("just below one half") << std::nextafter(0.5, 0.0) << 'E';
}

void TestPasswordScores::randomCharacterAt()
{
    QFETCH(double, r);
    QFETCH(char, expected);

    QCOMPARE(tessary::randomCharacterAt(r), expected);
}

void TestPasswordScores::randomCharacterAtEveryBoundary()
{
    // A few units in the last place either side of k / 62, so the product with 62 is clearly on one side of k.
    const auto step = [](double r, double toward) {
        for (int i = 0; i < 4; ++i)
            r = std::nextafter(r, toward);
        return r;
    };
    for (int k = 1; k < 62; ++k) {
        const double boundary = k / 62.0;
        QCOMPARE(tessary::randomCharacterAt(step(boundary, 0.0)), alphabet.at(k - 1));
        QCOMPARE(tessary::randomCharacterAt(step(boundary, 1.0)), alphabet.at(k));
    }
}

void TestPasswordScores::randomCharacterCoversAlphabet()
{
    // Missing one of 62 characters in 20000 fair draws has a chance of about 62 * e^-325.
    QSet<char> seen;
    for (int i = 0; i < 20000; ++i) {
        const char c = randomCharacter();
        QVERIFY2(alphabet.contains(c), QByteArray::number(static_cast<unsigned char>(c)).constData());
        seen.insert(c);
    }
    QCOMPARE(seen.size(), alphabet.size());
}

void TestPasswordScores::makeSaltIsFresh()
{
    // Salts made back to back, well within one clock tick, must all differ.
    QSet<QByteArray> salts;
    for (int i = 0; i < 100; ++i) {
        const QByteArray salt = makeSalt();
        QCOMPARE(salt.size(), 16);
        salts.insert(salt);
    }
    QCOMPARE(salts.size(), 100);
}

QTEST_GUILESS_MAIN(TestPasswordScores)
#include "test_password_scores.moc"
