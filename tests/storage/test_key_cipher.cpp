#include "crypto/password_hash.h"
#include "storage/key_cipher.h"
#include "storage/key_fields.h"
#include "storage/key_ring_format.h"
#include "storage/key_record.h"
#include "storage/key_table.h"

#include <QTest>

#include <nettle/arcfour.h>
#include <nettle/md2.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

using namespace tessary;

Q_DECLARE_METATYPE(tessary::KeyRecord)

class TestKeyCipher : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data();
    void matchesReference();
    void twiceRestores_data();
    void twiceRestores();
    void saltAndDatesUntouched();
    void emptyFieldStaysEmpty();
    void differentSaltsDiffer();
    void equalFieldsOfOneKeyDiffer();
    void everyByteValueSurvives();
    void emptyTableUnchanged();
    void tableCryptsSlotsInUseOnly();
    void chainsOfSaltsOfEveryLength();
    void unlockOnTwoCoresMatchesTheReference_data();
    void unlockOnTwoCoresMatchesTheReference();
    void aChangedKeySharesNoKeyStream_data();
    void aChangedKeySharesNoKeyStream();
};

namespace {

using Chain = std::array<std::uint8_t, MD2_DIGEST_SIZE>;

void md2Digest(const std::uint8_t* input, std::size_t length, Chain& digest)
{
    md2_ctx context;
    md2_init(&context);
    md2_update(&context, length, input);
    md2_digest(&context, MD2_DIGEST_SIZE, digest.data());
}

void arcfourCrypt(QByteArray& text, const QByteArray& key)
{
    arcfour_ctx context;
    arcfour_set_key(&context, static_cast<std::size_t>(key.size()), reinterpret_cast<const std::uint8_t*>(key.data()));
    auto* bytes = reinterpret_cast<std::uint8_t*>(text.data());
    arcfour_crypt(&context, static_cast<std::size_t>(text.size()), bytes, bytes);
}

// The record as the key ring file holds it, built from Nettle's MD2 and ARCFOUR: each field's RC4 key is the
// master password, the master key, the field's link of a digest chain started from the salt, then its tag.
KeyRecord referenceCrypt(KeyRecord record, const MasterSecret& secret)
{
    Chain chain;
    md2Digest(reinterpret_cast<const std::uint8_t*>(record.salt.constData()), 16, chain);
    const std::array<std::pair<QByteArray*, const char*>, 5> fields{{
        {&record.password, "PASSWORD"},
        {&record.name, "NAME"},
        {&record.description, "DATA"},
        {&record.userName, "USERNAME"},
        {&record.url, "URL"},
    }};
    bool first = true;
    for (const auto& [field, tag] : fields) {
        if (!first)
            md2Digest(chain.data(), chain.size(), chain);
        first = false;
        const QByteArray keyText = secret.password + secret.key +
                                   QByteArray(reinterpret_cast<const char*>(chain.data()), MD2_DIGEST_SIZE) + tag;
        arcfourCrypt(*field, keyText);
    }
    return record;
}

KeyRecord makeRecord(const QByteArray& name, const QByteArray& userName, const QByteArray& url,
                     const QByteArray& description, const QByteArray& password, const QByteArray& salt)
{
    KeyRecord record;
    record.name = name;
    record.userName = userName;
    record.url = url;
    record.description = description;
    record.password = password;
    record.salt = salt;
    record.dateCreated = 45000.0;
    record.timeCreated = 0.5;
    return record;
}

MasterSecret ordinarySecret()
{
    return {QByteArray("Correct horse 42"), QByteArray::fromHex("00112233445566778899aabbccddeeff")};
}

const QByteArray someSalt = QByteArray::fromHex("5a17c0ffee0042d15ea5e0123456789a");

KeyRecord ordinaryRecord(const QByteArray& salt = someSalt)
{
    return makeRecord("Bank", "jsmith", "https://bank.example/login", "Joint account, card PIN is elsewhere",
                      "hunter2!", salt);
}

QByteArray allByteValues(int start)
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<char>((start + i) & 0xff);
    return bytes;
}

void compareFields(const KeyRecord& actual, const KeyRecord& expected)
{
    QCOMPARE(actual.password, expected.password);
    QCOMPARE(actual.name, expected.name);
    QCOMPARE(actual.description, expected.description);
    QCOMPARE(actual.userName, expected.userName);
    QCOMPARE(actual.url, expected.url);
    QCOMPARE(actual.salt, expected.salt);
    QCOMPARE(actual.dateCreated, expected.dateCreated);
    QCOMPARE(actual.timeCreated, expected.timeCreated);
}

void addRecordRows()
{
    QTest::addColumn<QByteArray>("masterPassword");
    QTest::addColumn<QByteArray>("masterKey");
    QTest::addColumn<KeyRecord>("record");

    const MasterSecret ordinary = ordinarySecret();

    QTest::newRow("ordinary") << ordinary.password << ordinary.key << ordinaryRecord();
    // Key texts of 38 characters for the tag "URL".
    QTest::newRow("three-character master password") << QByteArray("abc") << ordinary.key << ordinaryRecord();
    QTest::newRow("master key with zero bytes")
        << ordinary.password << QByteArray::fromHex("00ff00ff00ff00ff0000ffff0000ffff") << ordinaryRecord();
    // The longest key texts ("PASSWORD", "USERNAME") come to exactly 256 bytes, all of which the schedule uses.
    QTest::newRow("216-character master password") << QByteArray(216, 'm') << ordinary.key << ordinaryRecord();
    QTest::newRow("all-zero salt") << ordinary.password << ordinary.key << ordinaryRecord(QByteArray(16, '\0'));
    QTest::newRow("salt with a zero byte first")
        << ordinary.password << ordinary.key << ordinaryRecord(QByteArray::fromHex("00a1b2c3d4e5f60718293a4b5c6d7e8f"));
    QTest::newRow("code-page bytes") << QByteArray("\xe9t\xe9") << ordinary.key
                                     << makeRecord("Caf\xe9", "ren\xe9", "http://caf\xe9.example",
                                                   QByteArrayLiteral("line\r\nbreak\0zero"), "\x80\x81\xfe\xff",
                                                   someSalt);
    QTest::newRow("empty fields") << ordinary.password << ordinary.key
                                  << makeRecord("Only a name", "", "", "", "", someSalt);
    QTest::newRow("one-byte fields") << ordinary.password << ordinary.key
                                     << makeRecord("n", "u", "w", "d", "p", someSalt);
    QTest::newRow("long fields") << ordinary.password << ordinary.key
                                 << makeRecord(allByteValues(0), allByteValues(1), allByteValues(2).repeated(4),
                                               allByteValues(3), allByteValues(4).repeated(2), someSalt);
}

} // namespace

void TestKeyCipher::matchesReference_data()
{
    addRecordRows();
}

void TestKeyCipher::matchesReference()
{
    QFETCH(QByteArray, masterPassword);
    QFETCH(QByteArray, masterKey);
    QFETCH(KeyRecord, record);

    const MasterSecret secret{masterPassword, masterKey};
    KeyRecord enciphered = record;
    cryptKeyRecord(enciphered, secret);
    compareFields(enciphered, referenceCrypt(record, secret));
}

void TestKeyCipher::twiceRestores_data()
{
    addRecordRows();
}

void TestKeyCipher::twiceRestores()
{
    QFETCH(QByteArray, masterPassword);
    QFETCH(QByteArray, masterKey);
    QFETCH(KeyRecord, record);

    const MasterSecret secret{masterPassword, masterKey};
    KeyRecord copy = record;
    cryptKeyRecord(copy, secret);
    cryptKeyRecord(copy, secret);
    compareFields(copy, record);
}

void TestKeyCipher::saltAndDatesUntouched()
{
    const KeyRecord record = ordinaryRecord();
    KeyRecord enciphered = record;
    cryptKeyRecord(enciphered, ordinarySecret());

    QCOMPARE(enciphered.salt, record.salt);
    QCOMPARE(enciphered.dateCreated, record.dateCreated);
    QCOMPARE(enciphered.timeCreated, record.timeCreated);
    // ... while every text field did change.
    QVERIFY(enciphered.password != record.password);
    QVERIFY(enciphered.name != record.name);
    QVERIFY(enciphered.description != record.description);
    QVERIFY(enciphered.userName != record.userName);
    QVERIFY(enciphered.url != record.url);
}

void TestKeyCipher::emptyFieldStaysEmpty()
{
    KeyRecord record = makeRecord("", "", "", "", "", someSalt);
    cryptKeyRecord(record, ordinarySecret());
    QVERIFY(record.password.isEmpty());
    QVERIFY(record.name.isEmpty());
    QVERIFY(record.description.isEmpty());
    QVERIFY(record.userName.isEmpty());
    QVERIFY(record.url.isEmpty());
}

void TestKeyCipher::differentSaltsDiffer()
{
    // Salts one bit apart.
    QByteArray otherSalt = someSalt;
    otherSalt[15] = static_cast<char>(otherSalt[15] ^ 1);
    KeyRecord first = ordinaryRecord();
    KeyRecord second = ordinaryRecord(otherSalt);
    cryptKeyRecord(first, ordinarySecret());
    cryptKeyRecord(second, ordinarySecret());

    QVERIFY(first.password != second.password);
    QVERIFY(first.name != second.name);
    QVERIFY(first.description != second.description);
    QVERIFY(first.userName != second.userName);
    QVERIFY(first.url != second.url);
}

void TestKeyCipher::equalFieldsOfOneKeyDiffer()
{
    const QByteArray value("same value in every field");
    KeyRecord record = makeRecord(value, value, value, value, value, someSalt);
    cryptKeyRecord(record, ordinarySecret());

    const QList<QByteArray> enciphered{record.password, record.name, record.description, record.userName, record.url};
    for (qsizetype i = 0; i < enciphered.size(); ++i) {
        QCOMPARE(enciphered[i].size(), value.size());
        QVERIFY(enciphered[i] != value);
        for (qsizetype j = i + 1; j < enciphered.size(); ++j)
            QVERIFY2(enciphered[i] != enciphered[j], qPrintable(QStringLiteral("fields %1 and %2").arg(i).arg(j)));
    }
}

void TestKeyCipher::everyByteValueSurvives()
{
    const KeyRecord record = makeRecord(allByteValues(10), allByteValues(20), allByteValues(30), allByteValues(40),
                                        allByteValues(50), someSalt);
    KeyRecord copy = record;
    cryptKeyRecord(copy, ordinarySecret());

    QCOMPARE(copy.name.size(), 256);
    QCOMPARE(copy.userName.size(), 256);
    QCOMPARE(copy.url.size(), 256);
    QCOMPARE(copy.description.size(), 256);
    QCOMPARE(copy.password.size(), 256);

    cryptKeyRecord(copy, ordinarySecret());
    compareFields(copy, record);
}

void TestKeyCipher::emptyTableUnchanged()
{
    auto table = std::make_unique<KeyTable>();
    // A leftover in a slot beyond keyCount is not a key and stays as it is.
    table->slot(1) = ordinaryRecord();
    QCOMPARE(table->keyCount(), 0);

    cryptKeyTable(*table, ordinarySecret());
    compareFields(table->slot(1), ordinaryRecord());
    QCOMPARE(table->keyCount(), 0);
}

void TestKeyCipher::tableCryptsSlotsInUseOnly()
{
    const MasterSecret secret = ordinarySecret();
    const std::array<KeyRecord, 3> records{
        ordinaryRecord(),
        makeRecord("Mail", "js@example.org", "imap.example.org", "", "s3cr3t",
                   QByteArray::fromHex("0102030405060708090a0b0c0d0e0f10")),
        makeRecord("Router", "admin", "http://192.168.1.1", "Hall cupboard", "admin",
                   QByteArray::fromHex("ffeeddccbbaa99887766554433221100")),
    };
    const KeyRecord leftover = makeRecord("Leftover", "user", "url", "data", "password", someSalt);

    auto table = std::make_unique<KeyTable>();
    for (const KeyRecord& record : records)
        QVERIFY(table->appendRecord(record));
    table->slot(4) = leftover;
    table->slot(KeyTable::capacity) = leftover;

    cryptKeyTable(*table, secret);

    QCOMPARE(table->keyCount(), 3);
    for (int slot = 1; slot <= 3; ++slot) {
        compareFields(table->slot(slot), referenceCrypt(records[slot - 1], secret));
        if (QTest::currentTestFailed()) {
            qInfo("in slot %d", slot);
            return;
        }
    }
    compareFields(table->slot(4), leftover);
    compareFields(table->slot(KeyTable::capacity), leftover);
}

void TestKeyCipher::chainsOfSaltsOfEveryLength()
{
    // Whole salts are digested side by side and the others one at a time, in one batch: each chain must still be
    // its own salt's, with only the first 16 bytes counting.
    std::vector<QByteArray> salts;
    for (const int length : {16, 0, 16, 1, 15, 17, 16, 40, 16, 16, 5, 16})
        salts.push_back(QByteArray::number(salts.size() * 7919).repeated(9).left(length));
    salts.push_back(QByteArray(16, '\0'));

    std::vector<QByteArrayView> views(salts.begin(), salts.end());
    std::vector<FieldChain> chains(salts.size());
    fieldChains(views, chains);

    for (std::size_t i = 0; i < salts.size(); ++i) {
        Chain link;
        md2Digest(reinterpret_cast<const std::uint8_t*>(salts[i].constData()),
                  static_cast<std::size_t>(std::min<qsizetype>(salts[i].size(), 16)), link);
        for (std::size_t k = 0; k < FieldChain{}.size(); ++k) {
            if (k > 0)
                md2Digest(link.data(), link.size(), link);
            QVERIFY2(chains[i][k] == link, qPrintable(QStringLiteral("salt %1, digest %2").arg(i).arg(k)));
        }
        QVERIFY(fieldChain(salts[i]) == chains[i]);
    }
}

void TestKeyCipher::unlockOnTwoCoresMatchesTheReference_data()
{
    QTest::addColumn<int>("keys");
    QTest::addColumn<QByteArray>("typed");
    QTest::newRow("full table") << KeyTable::capacity << QByteArray("Correct horse 42");
    QTest::newRow("one key") << 1 << QByteArray("Correct horse 42");
    QTest::newRow("no key") << 0 << QByteArray("Correct horse 42");
    QTest::newRow("full table, wrong password") << KeyTable::capacity << QByteArray("Correct horse 43");
    QTest::newRow("empty password") << 3 << QByteArray();
}

void TestKeyCipher::unlockOnTwoCoresMatchesTheReference()
{
    QFETCH(int, keys);
    QFETCH(QByteArray, typed);
    const QByteArray password("Correct horse 42");
    const MasterSecret secret{password, hashPassword(password)};
    auto enciphered = std::make_unique<KeyTable>();
    for (int i = 0; i < keys; ++i) {
        KeyRecord record = ordinaryRecord(QByteArray::number(1000000 + i).repeated(3).left(16));
        record.name += QByteArray::number(i);
        QVERIFY(enciphered->appendRecord(referenceCrypt(record, secret)));
    }
    auto table = std::make_unique<KeyTable>(*enciphered);

    const QByteArray digest = unlockKeyTable(*table, typed, secret.key);
    QCOMPARE(digest, hashPassword(typed));
    const bool right = typed == password;
    for (int slot = 1; slot <= keys; ++slot) {
        compareFields(table->slot(slot), right ? referenceCrypt(enciphered->slot(slot), secret) : enciphered->slot(slot));
        if (QTest::currentTestFailed()) {
            qInfo("in slot %d", slot);
            return;
        }
    }
}

// Two versions of one key ring around a change of a key: each of the changed key's fields in the second is
// enciphered under a key stream that none of its fields in the first used, so XOR-ing the files reveals nothing.
void TestKeyCipher::aChangedKeySharesNoKeyStream_data()
{
    QTest::addColumn<int>("change"); // 0 nothing, 1 notes, 2 rename, 3 password, 4 a change to what it held
    QTest::newRow("notes edited") << 1;
    QTest::newRow("renamed") << 2;
    QTest::newRow("password changed") << 3;
    QTest::newRow("stored as it was: the salt stays") << 4;
    QTest::newRow("untouched") << 0;
}

void TestKeyCipher::aChangedKeySharesNoKeyStream()
{
    QFETCH(int, change);
    const MasterSecret secret{"master", hashPassword("master")};
    KeyTable table;
    for (const QByteArray& name : {QByteArray("Mail"), QByteArray("Bank")}) {
        KeyRecord record;
        record.name = name;
        record.userName = "ann";
        record.url = "http://" + name.toLower() + ".example";
        record.description = QByteArray(40, 'a');
        record.password = passwordBuffer("pw-" + name);
        QCOMPARE(table.addKey(record), KeyTable::AddResult::Added);
    }
    const KeyRecord plainBefore = table.slot(1);
    const KeyRingReadResult before = parseKeyRing(serializeKeyRing(table, secret.key, secret), {});

    KeyChange edit;
    switch (change) {
    case 1:
        edit.description = QByteArray(40, 'b');
        QVERIFY(table.changeKey(1, edit));
        break;
    case 2:
        QCOMPARE(table.renameKey("Mail", "Post"), KeyTable::RenameResult::Renamed);
        break;
    case 3:
        edit.password = passwordBuffer("pw-new");
        QVERIFY(table.changeKey(1, edit));
        break;
    case 4:
        edit.url = plainBefore.url;
        edit.description = plainBefore.description;
        QVERIFY(!table.changeKey(1, edit));
        break;
    }
    const KeyRecord plainAfter = table.slot(1);
    const KeyRingReadResult after = parseKeyRing(serializeKeyRing(table, secret.key, secret), {});
    QCOMPARE(after.table.slot(2), before.table.slot(2)); // the other key keeps its bytes
    if (change == 0 || change == 4) {
        QCOMPARE(after.table.slot(1), before.table.slot(1));
        return;
    }
    QVERIFY(after.table.slot(1).salt != before.table.slot(1).salt);

    auto streams = [](const KeyRecord& plain, const KeyRecord& stored) {
        QList<QByteArray> result;
        const QByteArray KeyRecord::*fields[] = {&KeyRecord::name, &KeyRecord::userName, &KeyRecord::url,
                                                 &KeyRecord::description, &KeyRecord::password};
        for (auto field : fields) {
            QByteArray stream = stored.*field;
            for (qsizetype i = 0; i < stream.size(); ++i)
                stream[i] = static_cast<char>(stream[i] ^ (plain.*field)[i]);
            result.append(stream.left(4)); // every field holds at least four characters
        }
        return result;
    };
    const QList<QByteArray> old = streams(plainBefore, before.table.slot(1));
    for (const QByteArray& fresh : streams(plainAfter, after.table.slot(1)))
        QVERIFY2(!old.contains(fresh), fresh.toHex().constData());
}

QTEST_GUILESS_MAIN(TestKeyCipher)
#include "test_key_cipher.moc"
