// Wiping zeroes a secret where it lies, whoever else shares its block, and the programs' free zeroes every block.
#include "crypto/wipe.h"

#include <QTest>

#include <cstdlib>
#include <malloc.h>

using namespace tessary;

namespace {

bool allZero(const char* data, qsizetype size)
{
    return std::all_of(data, data + size, [](char c) { return c == '\0'; });
}

} // namespace

class TestWipe : public QObject
{
    Q_OBJECT

private slots:
    void wipeZeroesEveryHolder_data()
    {
        QTest::addColumn<QString>("held");
        QTest::newRow("a copy shares the block") << QStringLiteral("shared");
        QTest::newRow("text cut short: the rest of the block") << QStringLiteral("truncated");
        QTest::newRow("a QString shared") << QStringLiteral("string");
    }

    void wipeZeroesEveryHolder()
    {
        QFETCH(QString, held);
        if (held == QLatin1String("string")) {
            QString secret = QStringLiteral("master secret");
            secret.detach();
            const QString copy = secret;
            const char16_t* block = reinterpret_cast<const char16_t*>(copy.constData());
            wipe(secret);
            QVERIFY(secret.isEmpty());
            QCOMPARE(copy.size(), 13);
            QVERIFY(std::all_of(block, block + 13, [](char16_t c) { return c == 0; }));
            return;
        }
        QByteArray secret("master secret and more");
        const char* block = secret.constData();
        if (held == QLatin1String("truncated"))
            secret.truncate(6); // "master": the rest of the text is still in the block
        const QByteArray copy = secret; // keeps the block while it is looked at
        wipe(secret);
        QVERIFY(secret.isEmpty());
        QVERIFY(allZero(block, 22));
    }

    void otherTextsAreLeftAlone()
    {
        static const char outside[] = "not ours";
        QByteArray raw = QByteArray::fromRawData(outside, 8);
        wipe(raw);
        QCOMPARE(QByteArray(outside), QByteArray("not ours"));

        // A table's release keeps a text someone else still holds.
        QByteArray kept("still in use");
        kept.detach();
        QByteArray table = kept;
        release(table);
        QCOMPARE(kept, QByteArray("still in use"));

        // An own copy outlives the wipe of what it came from.
        QByteArray original("pass phrase");
        const QByteArray own = ownCopy(original);
        wipe(original);
        QCOMPARE(own, QByteArray("pass phrase"));
    }

#ifdef TESSARY_SCRUBBING_FREE
    // The allocator's own bookkeeping takes the first 16 bytes of a freed block; the rest held the secret.
    void freedBlocksAreZeroed()
    {
        auto* block = static_cast<char*>(std::malloc(96));
        std::memset(block, 'S', 96);
        std::free(block);
        auto* again = static_cast<char*>(std::malloc(96));
        if (again != block)
            QSKIP("the allocator did not hand the same block back");
        QVERIFY(allZero(again + 16, 80));
        std::free(again);
    }
#endif
};

QTEST_GUILESS_MAIN(TestWipe)
#include "test_wipe.moc"
