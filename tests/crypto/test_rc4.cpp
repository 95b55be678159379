#include "crypto/rc4.h"

#include <QTest>

#include <nettle/arcfour.h>

#include <cstdint>

using namespace tessary;

class TestRc4 : public QObject
{
    Q_OBJECT

private slots:
    void publishedVectors_data();
    void publishedVectors();
    void matchesNettle_data();
    void matchesNettle();
    void bytesAfterTheSchedulesLengthAreIgnored();
    void emptyKeyEmptiesText_data();
    void emptyKeyEmptiesText();
    void twiceRestores_data();
    void twiceRestores();
    void secondPassChangesStreamButStaysInvolution_data();
    void secondPassChangesStreamButStaysInvolution();
};

namespace {

QByteArray nettleArcfour(QByteArrayView key, const QByteArray& text)
{
    arcfour_ctx context;
    arcfour_set_key(&context, static_cast<std::size_t>(key.size()), reinterpret_cast<const std::uint8_t*>(key.data()));
    QByteArray result(text.size(), '\0');
    arcfour_crypt(&context, static_cast<std::size_t>(text.size()), reinterpret_cast<std::uint8_t*>(result.data()),
                  reinterpret_cast<const std::uint8_t*>(text.constData()));
    return result;
}

// Every byte value turns up, zero included, and no two neighbours are alike.
QByteArray patternBytes(qsizetype length, int seed)
{
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 167 + seed * 31) & 0xff);
    return bytes;
}

} // namespace

void TestRc4::publishedVectors_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("plaintext");
    QTest::addColumn<QByteArray>("ciphertext");

    QTest::newRow("Key") << QByteArray("Key") << QByteArray("Plaintext") << QByteArray::fromHex("bbf316e8d940af0ad3");
    QTest::newRow("Wiki") << QByteArray("Wiki") << QByteArray("pedia") << QByteArray::fromHex("1021bf0420");
    QTest::newRow("Secret") << QByteArray("Secret") << QByteArray("Attack at dawn")
                            << QByteArray::fromHex("45a01f645fc35b383552544b9bf5");
    // RFC 6229, 40-bit key: the first 32 bytes of keystream.
    QTest::newRow("RFC 6229 0x0102030405") << QByteArray::fromHex("0102030405") << QByteArray(32, '\0')
                                           << QByteArray::fromHex("b2396305f03dc027ccc3524a0a1118a8"
                                                                  "6982944f18fc82d589c403a47a0d0919");
}

void TestRc4::publishedVectors()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, plaintext);
    QFETCH(QByteArray, ciphertext);

    QByteArray text = plaintext;
    rc4Crypt(text, key, 1);
    QCOMPARE(text, ciphertext);
}

void TestRc4::matchesNettle_data()
{
    QTest::addColumn<QByteArray>("key");

    for (int length = 1; length <= 256; ++length)
        QTest::addRow("key of %d", length) << patternBytes(length, length);
    QTest::newRow("all zero key of 16") << QByteArray(16, '\0');
    QTest::newRow("all 0xff key of 256") << QByteArray(256, '\xff');
}

void TestRc4::matchesNettle()
{
    QFETCH(QByteArray, key);

    // 0 and 1 at the ends, 255 to 257 around the point where i wraps, longer texts for the later keystream.
    for (qsizetype length : {0, 1, 2, 15, 16, 17, 255, 256, 257, 1000, 4096}) {
        const QByteArray plaintext = patternBytes(length, 7);
        QByteArray text = plaintext;
        rc4Crypt(text, key, 1);
        QVERIFY2(text == nettleArcfour(key, plaintext), qPrintable(QStringLiteral("text of %1").arg(length)));
    }
}

void TestRc4::bytesAfterTheSchedulesLengthAreIgnored()
{
    // The schedule reads key bytes 0 to 255 only; a longer key behaves as its first 256 bytes.
    const QByteArray key = patternBytes(300, 3);
    const QByteArray plaintext = patternBytes(100, 5);
    QByteArray text = plaintext;
    rc4Crypt(text, key, 1);
    QCOMPARE(text, nettleArcfour(QByteArrayView(key).first(rc4MaximumKeyLength), plaintext));
}

void TestRc4::emptyKeyEmptiesText_data()
{
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << QByteArray("x");
    QTest::newRow("words") << QByteArray("Attack at dawn");
    QTest::newRow("with a zero byte") << QByteArrayLiteral("a\0b");
}

void TestRc4::emptyKeyEmptiesText()
{
    QFETCH(QByteArray, text);

    QByteArray withNullKey = text;
    rc4Crypt(withNullKey, QByteArrayView(), 1);
    QVERIFY(withNullKey.isEmpty());

    QByteArray withEmptyKey = text;
    rc4Crypt(withEmptyKey, QByteArray(""), 1);
    QVERIFY(withEmptyKey.isEmpty());
}

void TestRc4::twiceRestores_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("plaintext");

    QTest::newRow("empty text") << QByteArray("Key") << QByteArray();
    QTest::newRow("one-byte key") << QByteArray("k") << QByteArray("Plaintext");
    QTest::newRow("every byte value") << QByteArray("Secret") << patternBytes(256, 0);
    QTest::newRow("zero bytes") << QByteArray(8, '\0') << QByteArray(64, '\0');
    QTest::newRow("256-byte key, long text") << patternBytes(256, 1) << patternBytes(5000, 2);
}

void TestRc4::twiceRestores()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, plaintext);

    QByteArray text = plaintext;
    rc4Crypt(text, key, 1);
    QCOMPARE(text.size(), plaintext.size());
    rc4Crypt(text, key, 1);
    QCOMPARE(text, plaintext);
}

void TestRc4::secondPassChangesStreamButStaysInvolution_data()
{
    QTest::addColumn<QByteArray>("key");

    QTest::newRow("Key") << QByteArray("Key");
    QTest::newRow("one byte") << QByteArray("\x01");
    QTest::newRow("256 bytes") << patternBytes(256, 9);
}

void TestRc4::secondPassChangesStreamButStaysInvolution()
{
    QFETCH(QByteArray, key);

    const QByteArray plaintext = patternBytes(64, 4);
    QByteArray onePass = plaintext;
    rc4Crypt(onePass, key, 1);
    QByteArray twoPasses = plaintext;
    rc4Crypt(twoPasses, key, 2);

    QCOMPARE(twoPasses.size(), plaintext.size());
    QVERIFY(twoPasses != onePass);
    QVERIFY(twoPasses != plaintext);
    rc4Crypt(twoPasses, key, 2);
    QCOMPARE(twoPasses, plaintext);
}

QTEST_GUILESS_MAIN(TestRc4)
#include "test_rc4.moc"
