#include "analysis/crack_time.h"

#include <QTest>

#include <cmath>

using namespace tessary;

namespace {

const QStringList closingLines{QString(), QStringLiteral("Please remember: This is in pre-alpha"), QString(),
                               QStringLiteral("Hey, Varnick - You like?")};

// A clock that moves a quarter second each time it is read, starting at 0.
SecondsClock steppingClock()
{
    auto now = std::make_shared<double>(-0.25);
    return [now] { return *now += 0.25; };
}

} // namespace

class TestAnalysisCrackTime : public QObject
{
    Q_OBJECT

private slots:
    void multiplier_data();
    void multiplier();
    void advice_data();
    void advice();
    void adjustment_data();
    void adjustment();
    void estimateLine_data();
    void estimateLine();
    void wholeReportWithFixedLoops();
    void weeksAreNotOverAThousandYears();
    void singlePrecisionSeconds_data();
    void singlePrecisionSeconds();
    void infiniteCycles();
    void timingLoopsFollowTheClock();
    void warningOnlyOnFirstRun();
};

void TestAnalysisCrackTime::multiplier_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("multiplier");

    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("lower case") << QByteArray("abcde") << 26;
    QTest::newRow("lower, upper, digits") << QByteArray("aB3") << 62;
    QTest::newRow("a space is a symbol") << QByteArray(" ") << 30;
    QTest::newRow("tilde is a symbol") << QByteArray("~") << 30;
    QTest::newRow("accented letter is other") << QByteArray("\xe9") << 150;
    QTest::newRow("control character is other") << QByteArray("\x01") << 150;
    QTest::newRow("DEL is other") << QByteArray("\x7f") << 150;
    QTest::newRow("every class") << QByteArray("aB3$\xe9") << 242;
}

void TestAnalysisCrackTime::multiplier()
{
    QFETCH(QByteArray, password);
    QFETCH(int, multiplier);
    QCOMPARE(passwordMultiplier(classifyCharacters(password)), multiplier);
}

void TestAnalysisCrackTime::advice_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QStringList>("advice"); // the lines between "Working... (...)" and "Estimated Loops:"

    QTest::newRow("5 lower-case letters")
        << QByteArray("abcde")
        << QStringList{QStringLiteral("Password insecure - should be at least 6 characters"),
                       QStringLiteral("Perhaps use a mixed case password?")};
    QTest::newRow("8 characters, no symbols")
        << QByteArray("abcDEF12")
        << QStringList{QStringLiteral("It is recomended that the password should have at least 10"),
                       QStringLiteral("characters in it."),
                       QStringLiteral("Use symbols (such as '$' or '#') in your password")};
    QTest::newRow("upper case missing") << QByteArray("abcdefghij12")
                                        << QStringList{QStringLiteral("Perhaps use a mixed case password?")};
    QTest::newRow("digits missing") << QByteArray("abcdefGHIJ")
                                    << QStringList{QStringLiteral("Use numbers in your password")};
    QTest::newRow("10 characters, no other") << QByteArray("abcDEF12$x")
                                             << QStringList{QStringLiteral("Use other ASCII characters in your password")};
    QTest::newRow("every class") << QByteArray("abcDEF12$\xe9") << QStringList{};
}

void TestAnalysisCrackTime::advice()
{
    QFETCH(QByteArray, password);
    QFETCH(QStringList, advice);
    CrackTimeCheck check;
    const QStringList lines = plainText(check.run(password, 1000.0F));
    const qsizetype working = lines.indexOf(QStringLiteral("Working... (%1 characters)").arg(password.size()));
    QVERIFY(working > 0);
    const QStringList expected = advice + QStringList{QStringLiteral("Estimated Loops: 1000")};
    QCOMPARE(lines.mid(working + 1, advice.size() + 1), expected);
}

void TestAnalysisCrackTime::adjustment_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<int>("adjustment");

    QTest::newRow("0 stays 0") << 0.0F << 0;
    QTest::newRow("1: 3 x 1") << 1.0F << 3;
    QTest::newRow("100: 3 x 100 is below 975") << 100.0F << 300;
    QTest::newRow("1000: 1000 - 125.89") << 1000.0F << 874;
    // 3 x seconds is single precision like seconds: a half there rounds to the even neighbour.
    QTest::newRow("1/6: 3 x seconds is 0.5, so 0") << 1.0F / 6.0F << 0;
    QTest::newRow("62.5/3: 3 x seconds is 62.5, so 62") << 62.5F / 3.0F << 62;
    QTest::newRow("2 million: negative, so 0") << 2.0e6F << 0;
    // Between about 2.94 and 10 million seconds a 16-bit adjustment would overflow.
    QTest::newRow("3 million") << 3.0e6F << 0;
    QTest::newRow("9.9 million") << 9.9e6F << 0;
    QTest::newRow("10 million: not adjusted") << 1.0e7F << 0;
    QTest::newRow("infinite") << INFINITY << 0;
}

void TestAnalysisCrackTime::adjustment()
{
    QFETCH(float, seconds);
    QFETCH(int, adjustment);
    QCOMPARE(crackTimeAdjustment(seconds), adjustment);
}

void TestAnalysisCrackTime::estimateLine_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("59.9 s") << 59.9F << QStringLiteral("59 second(s) to crack");
    QTest::newRow("exactly 60 s") << 60.0F << QStringLiteral("1 minute(s), 0 second(s) to crack.");
    QTest::newRow("400 s") << 400.0F << QStringLiteral("6 minute(s), 40 second(s) to crack.");
    QTest::newRow("3599 s") << 3599.0F << QStringLiteral("59 minute(s), 59 second(s) to crack.");
    QTest::newRow("exactly an hour") << 3600.0F << QStringLiteral("1 hour(s)0 minutes(s) to crack.");
    QTest::newRow("86399 s") << 86399.0F << QStringLiteral("23 hour(s)59 minutes(s) to crack.");
    QTest::newRow("exactly a day") << 86400.0F << QStringLiteral("1 day(s)0 hour(s) to crack.");
    QTest::newRow("40 days 10 hours") << 3492091.0F << QStringLiteral("40 day(s)10 hour(s) to crack.");
    QTest::newRow("exactly 365 days") << 31536000.0F << QStringLiteral("1 year(s)0 day(s) to crack.");
    QTest::newRow("3e10 s") << 3.0e10F << QStringLiteral("951 year(s)107 day(s) to crack.");
    QTest::newRow("4e10 s") << 4.0e10F << QStringLiteral("Over 1000 years to crack.");
    QTest::newRow("infinite") << INFINITY << QStringLiteral("Over 1000 years to crack.");
}

void TestAnalysisCrackTime::estimateLine()
{
    QFETCH(float, seconds);
    QFETCH(QString, text);
    const ReportLine line = crackTimeLine(seconds);
    QCOMPARE(line, (ReportLine{ReportPiece{text, ReportPiece::Bold}}));
}

void TestAnalysisCrackTime::wholeReportWithFixedLoops()
{
    CrackTimeCheck check;
    const Report report = check.run("abcdefg", 23.0F);
    // 26^7 = 8,031,810,176 cycles; / 23 / 100 = 3,492,091 seconds = 970 hours.
    const QStringList expected = QStringList{
        QString(),
        QStringLiteral("Tessory v0.1a Advanced Password Check"),
        QStringLiteral("THIS MIGHT CRASH IF YOU DO NOT HAVE"),
        QStringLiteral("WORDS.TXT ON YOUR DESKTOP!"),
        QStringLiteral("Working... (7 characters)"),
        QStringLiteral("It is recomended that the password should have at least 10"),
        QStringLiteral("characters in it."),
        QStringLiteral("Perhaps use a mixed case password?"),
        QStringLiteral("Estimated Loops: 23"),
        QStringLiteral("Working Out... 23 Loops -=- Difference: 0"),
        QStringLiteral("Considered buying a faster CPU?"),
        QStringLiteral("Password multiplier is 26."),
        QStringLiteral("Average Case Cycles: 4.015905E+09"),
        QStringLiteral("40 day(s)10 hour(s) to crack."),
    } + closingLines;
    QCOMPARE(plainText(report), expected);

    QCOMPARE(report.at(1), (ReportLine{{QStringLiteral("Tessory v0.1a Advanced Password Check"),
                                        ReportPiece::Bold | ReportPiece::Underline}}));
    QCOMPARE(report.at(3).at(0), (ReportPiece{QStringLiteral("WORDS.TXT "), ReportPiece::Italic | ReportPiece::Red}));
    QCOMPARE(report.at(3).at(1), (ReportPiece{QStringLiteral("ON YOUR DESKTOP!"), ReportPiece::Italic}));
    QCOMPARE(report.at(15).at(0).style, unsigned(ReportPiece::Italic));
}

void TestAnalysisCrackTime::weeksAreNotOverAThousandYears()
{
    // 26^6 / 1 / 100 = 3,089,157.76 seconds: 1000 - seconds^0.7 is about -33,915, below the 16-bit range.
    CrackTimeCheck check;
    const QStringList lines = plainText(check.run("abcdef", 1.0F));
    const QStringList expected = QStringList{QStringLiteral("35 day(s)18 hour(s) to crack.")} + closingLines;
    QCOMPARE(lines.mid(lines.size() - 5), expected);
}

void TestAnalysisCrackTime::singlePrecisionSeconds_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<float>("loops");
    QTest::addColumn<QString>("estimate");

    // 10^8 / 48,000 / 100 = 20.83 seconds; 1000 - 20.83^0.7 = 991.6 is above 3 x 20.83 = 62.5, which rounds to
    // 62: 82.83 seconds.
    QTest::newRow("eight digits, a half to even")
        << QByteArray("12345678") << 48000.0F << QStringLiteral("1 minute(s), 22 second(s) to crack.");
    // 10^8 / 6,000,000 / 100 = 1/6 second; 3 x 1/6 = 0.5 rounds to 0.
    QTest::newRow("eight digits, a sixth of a second")
        << QByteArray("12345678") << 6.0e6F << QStringLiteral("0 second(s) to crack");
    // 92^5 = 6,590,815,232 cycles; / 2.0899339 is 3,153,599,894, which single precision holds as 3,153,600,000:
    // 31,536,000 seconds, one year exactly.
    QTest::newRow("a year in single precision")
        << QByteArray("aB3$x") << 2.0899339F << QStringLiteral("1 year(s)0 day(s) to crack.");
}

void TestAnalysisCrackTime::singlePrecisionSeconds()
{
    QFETCH(QByteArray, password);
    QFETCH(float, loops);
    QFETCH(QString, estimate);
    CrackTimeCheck check;
    const QStringList lines = plainText(check.run(password, loops));
    QCOMPARE(lines.at(lines.size() - 5), estimate);
}

void TestAnalysisCrackTime::infiniteCycles()
{
    // 62^22 is beyond the single-precision range.
    CrackTimeCheck check;
    const QStringList lines = plainText(check.run("abcABC1234567890abcdef", 1.0e6F));
    QVERIFY(lines.contains(QStringLiteral("Password multiplier is 62.")));
    QVERIFY(!lines.contains(QStringLiteral("Considered buying a faster CPU?")));
    const QStringList expected = QStringList{QStringLiteral("Average Case Cycles: Infinity"),
                                             QStringLiteral("Over 1000 years to crack.")} +
                                 closingLines;
    QCOMPARE(lines.mid(lines.size() - 6), expected);
}

void TestAnalysisCrackTime::timingLoopsFollowTheClock()
{
    // Calibration: deadline 0.2, passed at the first reading (0.25, counter 256): an estimate of 2560.
    // Measurement: start 0.5, deadline round(2.5) = 2 (halves to even), passed at 2.25, the 7th reading: 1792.
    CrackTimeCheck check(steppingClock());
    const QStringList lines = plainText(check.run("ab"));
    QVERIFY(lines.contains(QStringLiteral("Estimated Loops: 2560")));
    QVERIFY(lines.contains(QStringLiteral("Working Out... 1792 Loops -=- Difference: 768")));
    QVERIFY(lines.contains(QStringLiteral("Considered buying a faster CPU?")));
    // 676 cycles / 1792 / 100 is 0.0038 seconds; the adjustment, round(3 x 0.0038), adds nothing.
    QVERIFY(lines.contains(QStringLiteral("0 second(s) to crack")));
}

void TestAnalysisCrackTime::warningOnlyOnFirstRun()
{
    CrackTimeCheck check;
    QVERIFY(plainText(check.run("abc", 10.0F)).contains(QStringLiteral("THIS MIGHT CRASH IF YOU DO NOT HAVE")));
    const QStringList second = plainText(check.run("abc", 10.0F));
    const QStringList expected{QString(), QStringLiteral("Tessory v0.1a Advanced Password Check"),
                               QStringLiteral("Working... (3 characters)")};
    QCOMPARE(second.mid(0, 3), expected);
    CrackTimeCheck newWindow;
    QVERIFY(plainText(newWindow.run("abc", 10.0F)).contains(QStringLiteral("WORDS.TXT ON YOUR DESKTOP!")));
}

QTEST_GUILESS_MAIN(TestAnalysisCrackTime)
#include "test_analysis_crack_time.moc"
