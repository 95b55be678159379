#include "crypto/password_hash.h"

#include <QTest>

#include <nettle/md2.h>

#include <cstdint>

using namespace tessary;

class TestPasswordHash : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data();
    void matchesReference();
    void isCaseSensitive_data();
    void isCaseSensitive();
    void verify_data();
    void verify();
    void emptyPasswordHasNoDigest();
    void emptyPasswordNeverVerifies_data();
    void emptyPasswordNeverVerifies();
};

namespace {

// MD2 of the password, then `rounds` more MD2 rounds over the previous digest alone, straight from Nettle. The
// stored digests take 1025 rounds.
QByteArray referenceHash(const QByteArray& password, int rounds = 1025)
{
    std::uint8_t digest[MD2_DIGEST_SIZE];
    md2_ctx context;
    md2_init(&context);
    md2_update(&context, static_cast<std::size_t>(password.size()),
               reinterpret_cast<const std::uint8_t*>(password.constData()));
    md2_digest(&context, MD2_DIGEST_SIZE, digest);
    for (int i = 0; i < rounds; ++i) {
        md2_init(&context);
        md2_update(&context, MD2_DIGEST_SIZE, digest);
        md2_digest(&context, MD2_DIGEST_SIZE, digest);
    }
    return QByteArray(reinterpret_cast<const char*>(digest), MD2_DIGEST_SIZE);
}

// More characters than there are rounds, with no two neighbours alike.
QByteArray longPassword()
{
    QByteArray password;
    for (int i = 0; i < 2000; ++i)
        password.append(static_cast<char>('!' + i % 94));
    return password;
}

} // namespace

void TestPasswordHash::matchesReference_data()
{
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("one character") << QByteArray("x");
    QTest::newRow("ordinary") << QByteArray("Correct horse 42");
    QTest::newRow("with blanks") << QByteArray(" ++ leading and trailing ");
    QTest::newRow("exactly 16 bytes") << QByteArray("0123456789abcdef");
    QTest::newRow("1025 characters") << longPassword().first(1025);
    QTest::newRow("1026 characters") << longPassword().first(1026);
    QTest::newRow("2000 characters") << longPassword();
    QTest::newRow("bytes from 0x80") << QByteArray("\xe9t\xe9 \x80\xff");
    QTest::newRow("zero byte inside") << QByteArrayLiteral("pass\0word");
}

void TestPasswordHash::matchesReference()
{
    QFETCH(QByteArray, password);

    const QByteArray digest = hashPassword(password);
    QCOMPARE(digest.size(), 16);
    QCOMPARE(digest, referenceHash(password));
}

void TestPasswordHash::isCaseSensitive_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("otherCase");

    QTest::newRow("one letter") << QByteArray("a") << QByteArray("A");
    QTest::newRow("first letter") << QByteArray("Secret") << QByteArray("secret");
    QTest::newRow("whole word") << QByteArray("orchard") << QByteArray("ORCHARD");
}

void TestPasswordHash::isCaseSensitive()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, otherCase);

    QVERIFY(hashPassword(password) != hashPassword(otherCase));
    QVERIFY(verifyPassword(password, referenceHash(password)));
    QVERIFY(!verifyPassword(otherCase, referenceHash(password)));
}

void TestPasswordHash::verify_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("storedDigest");
    QTest::addColumn<bool>("verified");

    const QByteArray password("Correct horse 42");
    const QByteArray digest = referenceHash(password);

    QByteArray lastByteFlipped = digest;
    lastByteFlipped[15] = static_cast<char>(lastByteFlipped[15] ^ 1);

    QTest::newRow("same password") << password << digest << true;
    QTest::newRow("one character more") << password + '!' << digest << false;
    QTest::newRow("one character less") << password.chopped(1) << digest << false;
    QTest::newRow("other password") << QByteArray("Incorrect horse") << digest << false;
    QTest::newRow("last digest bit differs") << password << lastByteFlipped << false;
    QTest::newRow("digest cut to 15 bytes") << password << digest.first(15) << false;
    QTest::newRow("digest with a 17th byte") << password << digest + '\0' << false;
    QTest::newRow("no rounds") << password << referenceHash(password, 0) << false;
    QTest::newRow("one round short") << password << referenceHash(password, 1024) << false;
    QTest::newRow("one round over") << password << referenceHash(password, 1026) << false;
    QTest::newRow("empty stored digest") << password << QByteArray() << false;
    QTest::newRow("long password") << longPassword() << referenceHash(longPassword()) << true;
    QTest::newRow("bytes from 0x80") << QByteArray("\xe9t\xe9") << referenceHash(QByteArray("\xe9t\xe9")) << true;
}

void TestPasswordHash::verify()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, storedDigest);
    QFETCH(bool, verified);

    QCOMPARE(verifyPassword(password, storedDigest), verified);
}

void TestPasswordHash::emptyPasswordHasNoDigest()
{
    QVERIFY(hashPassword(QByteArray()).isEmpty());
    QVERIFY(hashPassword(QByteArray("")).isEmpty());
    QVERIFY(hashPassword(QByteArrayView()).isEmpty());
}

void TestPasswordHash::emptyPasswordNeverVerifies_data()
{
    QTest::addColumn<QByteArray>("storedDigest");

    QTest::newRow("empty stored digest") << QByteArray();
    QTest::newRow("sixteen zero bytes") << QByteArray(16, '\0');
    QTest::newRow("sixteen blanks") << QByteArray(16, ' ');
    // What hashing zero bytes would give if the empty password were not refused.
    QTest::newRow("rounds over MD2 of nothing") << referenceHash(QByteArray());
}

void TestPasswordHash::emptyPasswordNeverVerifies()
{
    QFETCH(QByteArray, storedDigest);

    QVERIFY(!verifyPassword(QByteArray(), storedDigest));
    QVERIFY(!verifyPassword(QByteArrayView(), storedDigest));
}

QTEST_GUILESS_MAIN(TestPasswordHash)
#include "test_password_hash.moc"
