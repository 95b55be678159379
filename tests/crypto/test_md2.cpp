#include "crypto/md2.h"

#include <QTest>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

using namespace tessary;

class TestMd2 : public QObject
{
    Q_OBJECT

private slots:
    void publishedVectors_data();
    void publishedVectors();
    void rawBufferOverload_data();
    void rawBufferOverload();
    void rawBufferDigestsInPlace_data();
    void rawBufferDigestsInPlace();
    void lengthSelectsPrefix_data();
    void lengthSelectsPrefix();
    void redigestMatchesOneAtATime_data();
    void redigestMatchesOneAtATime();
};

namespace {

// The test suite of RFC 1319, appendix A.5.
void addPublishedVectors()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("digest");

    QTest::newRow("empty") << QByteArray() << QByteArray::fromHex("8350e5a3e24c153df2275c9f80692773");
    QTest::newRow("a") << QByteArray("a") << QByteArray::fromHex("32ec01ec4a6dac72c0ab96fb34c0b5d1");
    QTest::newRow("abc") << QByteArray("abc") << QByteArray::fromHex("da853b0d3f88d99b30283a69e6ded6bb");
    QTest::newRow("message digest") << QByteArray("message digest")
                                    << QByteArray::fromHex("ab4f496bfb2a530b219ff33031fe06b0");
    QTest::newRow("a-z") << QByteArray("abcdefghijklmnopqrstuvwxyz")
                         << QByteArray::fromHex("4e8ddff3650292ab5a4108c3aa47940b");
    QTest::newRow("A-Z a-z 0-9") << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
                                 << QByteArray::fromHex("da33def2a42df13975352846c30338cd");
    QTest::newRow("8 x 1234567890")
        << QByteArray("12345678901234567890123456789012345678901234567890123456789012345678901234567890")
        << QByteArray::fromHex("d5976f79d83d3a0dc9806c3c66f3efd8");
}

} // namespace

void TestMd2::publishedVectors_data()
{
    addPublishedVectors();
}

void TestMd2::publishedVectors()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, digest);

    QCOMPARE(messageDigest2(input, input.size()), digest);
}

void TestMd2::rawBufferOverload_data()
{
    addPublishedVectors();
}

void TestMd2::rawBufferOverload()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, digest);

    // Garbage in the output buffer beforehand must not leak into the digest: chained digests reuse it.
    QByteArray output(digestSize, '\xa5');
    messageDigest2(reinterpret_cast<const std::uint8_t*>(input.constData()), static_cast<std::size_t>(input.size()),
                   reinterpret_cast<std::uint8_t*>(output.data()));
    QCOMPARE(output, digest);
}

void TestMd2::rawBufferDigestsInPlace_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("digest");

    QTest::newRow("abc") << QByteArray("abc") << QByteArray::fromHex("da853b0d3f88d99b30283a69e6ded6bb");
    QTest::newRow("message digest") << QByteArray("message digest")
                                    << QByteArray::fromHex("ab4f496bfb2a530b219ff33031fe06b0");
}

void TestMd2::rawBufferDigestsInPlace()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, digest);

    // The digest chains pass one buffer as both input and output.
    QByteArray buffer = input;
    buffer.resize(digestSize, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(buffer.data());
    messageDigest2(bytes, static_cast<std::size_t>(input.size()), bytes);
    QCOMPARE(buffer, digest);
}

void TestMd2::lengthSelectsPrefix_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QByteArray>("digest");

    const QByteArray empty = QByteArray::fromHex("8350e5a3e24c153df2275c9f80692773");
    const QByteArray abc = QByteArray::fromHex("da853b0d3f88d99b30283a69e6ded6bb");
    const QByteArray messageDigest = QByteArray::fromHex("ab4f496bfb2a530b219ff33031fe06b0");

    QTest::newRow("whole input") << QByteArray("abc") << qsizetype(3) << abc;
    QTest::newRow("prefix") << QByteArray("abcdef") << qsizetype(3) << abc;
    QTest::newRow("prefix with a blank") << QByteArray("message digest, 16") << qsizetype(14) << messageDigest;
    QTest::newRow("zero") << QByteArray("abc") << qsizetype(0) << empty;
    QTest::newRow("one beyond") << QByteArray("abc") << qsizetype(4) << abc;
    QTest::newRow("far beyond") << QByteArray("abc") << qsizetype(16) << abc;
    QTest::newRow("largest length") << QByteArray("abc") << std::numeric_limits<qsizetype>::max() << abc;
    QTest::newRow("minus one") << QByteArray("abc") << qsizetype(-1) << empty;
    QTest::newRow("most negative") << QByteArray("abc") << std::numeric_limits<qsizetype>::min() << empty;
    QTest::newRow("empty input, length 16") << QByteArray() << qsizetype(16) << empty;
}

void TestMd2::lengthSelectsPrefix()
{
    QFETCH(QByteArray, input);
    QFETCH(qsizetype, length);
    QFETCH(QByteArray, digest);

    // The view ends before readable bytes that a digest reading past it would take in and come out different.
    const QByteArray buffer = input + QByteArray("TAIL");
    const QByteArrayView view = QByteArrayView(buffer).first(input.size());
    QCOMPARE(messageDigest2(view, length), digest);
}

void TestMd2::redigestMatchesOneAtATime_data()
{
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("rounds");

    // Eight lanes, then four, two and one for what is left: counts that take each way through.
    for (const int blocks : {1, 2, 3, 4, 7, 8, 9, 15, 16, 23})
        QTest::addRow("%d blocks", blocks) << blocks << 1;
    QTest::newRow("none") << 0 << 1;
    QTest::newRow("11 blocks, 3 rounds") << 11 << 3;
    QTest::newRow("one block, 40 rounds") << 1 << 40;
    QTest::newRow("5 blocks, no round") << 5 << 0;
}

void TestMd2::redigestMatchesOneAtATime()
{
    QFETCH(int, blocks);
    QFETCH(int, rounds);

    // Each block different, every byte value among them, zero and 0xff included.
    std::vector<std::array<std::uint8_t, 16>> actual(static_cast<std::size_t>(blocks));
    for (std::size_t b = 0; b < actual.size(); ++b) {
        for (std::size_t i = 0; i < 16; ++i)
            actual[b][i] = static_cast<std::uint8_t>(b * 16 + i * 15 + (b % 2 ? 0xf0 : 0));
    }
    auto expected = actual;
    for (auto& block : expected) {
        for (int round = 0; round < rounds; ++round)
            messageDigest2(block.data(), block.size(), block.data());
    }

    std::vector<std::uint8_t*> pointers;
    for (auto& block : actual)
        pointers.push_back(block.data());
    redigest(pointers, rounds);

    for (std::size_t b = 0; b < actual.size(); ++b)
        QVERIFY2(actual[b] == expected[b], qPrintable(QStringLiteral("block %1").arg(b)));
}

QTEST_GUILESS_MAIN(TestMd2)
#include "test_md2.moc"
