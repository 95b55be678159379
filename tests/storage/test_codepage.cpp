#include "storage/codepage.h"

#include <QtTest>

using namespace tessary;

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesTheRoundTrip();
    void bytesMapToWindows1252_data();
    void bytesMapToWindows1252();
    void charactersWithoutAByteBecomeQuestionMarks_data();
    void charactersWithoutAByteBecomeQuestionMarks();
};

// Enciphered fields pass through a QString, so no byte value may be lost or merged with another.
void TestCodePage::everyByteSurvivesTheRoundTrip()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);

    const QString text = fromCodePage(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(toCodePage(text), all);
    QVERIFY(fitsCodePage(text));
}

void TestCodePage::bytesMapToWindows1252_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("codePoint");

    // Windows-1252 0x80 to 0x9F; the five bytes the code page leaves undefined stand for the C1 controls.
    const int high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
    };
    for (int i = 0; i < 32; ++i)
        QTest::addRow("0x%02X", 0x80 + i) << 0x80 + i << high[i];

    // Everything else is Latin-1.
    for (const int b : {0x00, 0x09, 0x22, 0x3F, 0x41, 0x7F, 0xA0, 0xA4, 0xE9, 0xEB, 0xFF})
        QTest::addRow("0x%02X", b) << b << b;
}

void TestCodePage::bytesMapToWindows1252()
{
    QFETCH(int, byte);
    QFETCH(int, codePoint);

    const QByteArray bytes(1, static_cast<char>(byte));
    const QString character(QChar(static_cast<char16_t>(codePoint)));
    QCOMPARE(fromCodePage(bytes), character);
    QCOMPARE(toCodePage(character), bytes);
    QVERIFY(fitsCodePage(character));
}

void TestCodePage::charactersWithoutAByteBecomeQuestionMarks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("U+0100") << QStringLiteral("\u0100") << QByteArrayLiteral("?");
    // 0x80, 0x85 and 0x9F hold the euro sign, the ellipsis and Y diaeresis, so their C1 controls have no byte.
    QTest::newRow("U+0080") << QString(QChar(0x0080)) << QByteArrayLiteral("?");
    QTest::newRow("U+0085") << QString(QChar(0x0085)) << QByteArrayLiteral("?");
    QTest::newRow("U+009F") << QString(QChar(0x009F)) << QByteArrayLiteral("?");
    QTest::newRow("U+20AD") << QStringLiteral("\u20AD") << QByteArrayLiteral("?");
    QTest::newRow("U+3042") << QStringLiteral("\u3042") << QByteArrayLiteral("?");
    QTest::newRow("U+FFFD") << QStringLiteral("\uFFFD") << QByteArrayLiteral("?");
    // A character outside the BMP is two UTF-16 units but one character, so one byte.
    QTest::newRow("surrogate pair") << QString::fromUcs4(U"\U0001F600") << QByteArrayLiteral("?");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArrayLiteral("?");
    QTest::newRow("mixed") << QString::fromUcs4(U"a\u0100b\U0001F600c\u20ACd")
                           << QByteArrayLiteral("a?b?c\x80"
                                                "d");
}

void TestCodePage::charactersWithoutAByteBecomeQuestionMarks()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(toCodePage(text), bytes);
    QVERIFY(!fitsCodePage(text));
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "test_codepage.moc"
