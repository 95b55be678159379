#include "analysis/strength_meter.h"

#include <QTest>

using namespace tessary;

class TestAnalysisMeter : public QObject
{
    Q_OBJECT

private slots:
    void meterScores_data();
    void meterScores();
};

void TestAnalysisMeter::meterScores_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("variety");
    QTest::addColumn<int>("difficulty");
    QTest::addColumn<int>("total");

    QTest::newRow("empty box") << QByteArray() << 0 << 0 << 0 << 0;
    // 7 letters: round(4.9 - 2) = 3; n = 7, p = 19, d = 2, 2 x 1.4623 rounds to 3; under 8 no difficulty.
    QTest::newRow("seven lower-case letters") << QByteArray("abcdefg") << 3 << 3 << 0 << 2;
    // 11 different characters of four classes: d = round(round(11^1.5) / 10) = 4, 4 x 10.7997 = 43.2; eight
    // letters give round(12 / 2 + 100) = 106. (12 + 43 + 106) / 3 = 53.67.
    QTest::newRow("four classes") << QByteArray("Tr0ub4dor&3x") << 12 << 43 << 106 << 54;
    // One character repeated: variety 0, so difficulty 5; 32 characters earn no bonus yet.
    QTest::newRow("32 repeats, no bonus") << QByteArray(32, 'a') << 100 << 0 << 5 << 35;
    QTest::newRow("33 repeats, 2 bonus points") << QByteArray(33, 'a') << 100 << 0 << 5 << 36;
    // 40 characters: 16 extra points, (100 + 0 + 5 + 16) / 3 = 40.33.
    QTest::newRow("40 repeats, 16 bonus points") << QByteArray(40, 'a') << 100 << 0 << 5 << 40;
    // A difficulty above 100 counts in full, and a total above 300 shows as 100.
    // Twenty different characters of all five classes cap the variety; 128 characters give round(64 + 100).
    const QByteArray twenty("abcdeABCDE12345!@#$\xe9");
    const QByteArray many = twenty.repeated(7).left(128);
    QTest::newRow("128 characters, capped") << many << 100 << 100 << 164 << 100;
}

void TestAnalysisMeter::meterScores()
{
    QFETCH(QByteArray, password);
    QFETCH(int, length);
    QFETCH(int, variety);
    QFETCH(int, difficulty);
    QFETCH(int, total);
    const MeterScores scores = tessary::meterScores(password);
    QCOMPARE(scores.length, length);
    QCOMPARE(scores.variety, variety);
    QCOMPARE(scores.difficulty, difficulty);
    QCOMPARE(scores.total, total);
}

QTEST_GUILESS_MAIN(TestAnalysisMeter)
#include "test_analysis_meter.moc"
