#include "storage/key_table.h"
#include "storage/ole_date.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace tessary;

Q_DECLARE_METATYPE(tessary::KeyTable::RenameResult)

namespace tessary {

// Readable names in failure messages.
char* toString(KeyTable::AddResult result)
{
    return qstrdup(result == KeyTable::AddResult::Added ? "Added" : "TableFull");
}

char* toString(KeyTable::RenameResult result)
{
    switch (result) {
    case KeyTable::RenameResult::Renamed:
        return qstrdup("Renamed");
    case KeyTable::RenameResult::Unchanged:
        return qstrdup("Unchanged");
    case KeyTable::RenameResult::NotUnique:
        return qstrdup("NotUnique");
    case KeyTable::RenameResult::EmptyName:
        return qstrdup("EmptyName");
    case KeyTable::RenameResult::TooLong:
        return qstrdup("TooLong");
    case KeyTable::RenameResult::NotFound:
        return qstrdup("NotFound");
    }
    return qstrdup("?");
}

} // namespace tessary

namespace {

const QDateTime fixedTime(QDate(2026, 12, 6), QTime(14, 5));

KeyRecord makeKey(const QByteArray& name)
{
    KeyRecord record;
    record.name = name;
    record.userName = "user of " + name;
    record.url = "https://example.org/" + name;
    record.description = "notes on " + name;
    record.password = "secret of " + name;
    return record;
}

// A table holding Alpha, Beta and Gamma in slots 1 to 3.
KeyTable threeKeys()
{
    KeyTable table;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        KeyRecord record = makeKey(name);
        table.addKey(record, fixedTime);
    }
    return table;
}

QByteArrayList namesInUse(const KeyTable& table)
{
    QByteArrayList names;
    for (int s = 1; s <= table.keyCount(); ++s)
        names.append(table.slot(s).name);
    return names;
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double largest = std::numeric_limits<double>::max();

} // namespace

class TestKeyTable : public QObject
{
    Q_OBJECT

private slots:
    void holdsAtMost255Keys();
    void saltIsSixteenBytesWhetherStoredOrNot();
    void keysAddedInTheSameSecondGetDifferentSalts();
    void addKeyStampsOleDateAndTime_data();
    void addKeyStampsOleDateAndTime();
    void addKeyNeverOverwritesANamelessKeyInUse();
    void findKey_data();
    void findKey();
    void isKeyNameUnique_data();
    void isKeyNameUnique();
    void removeKey_data();
    void removeKey();
    void renameKey_data();
    void renameKey();
    void oleDateBothWays_data();
    void oleDateBothWays();
    void fromOleDateEdgeCases_data();
    void fromOleDateEdgeCases();
    void oleTimeBothWays_data();
    void oleTimeBothWays();
    void fromOleTimeEdgeCases_data();
    void fromOleTimeEdgeCases();
    void creationStamp_data();
    void creationStamp();
    void creationStampOfDamagedDatesIsBlank();
};

void TestKeyTable::holdsAtMost255Keys()
{
    KeyTable table;
    for (int i = 1; i <= 255; ++i) {
        KeyRecord record = makeKey("Key " + QByteArray::number(i));
        QCOMPARE(table.addKey(record, fixedTime), KeyTable::AddResult::Added);
        QCOMPARE(table.keyCount(), i);
    }
    QVERIFY(table.isFull());
    QCOMPARE(table.slot(1).name, QByteArray("Key 1"));
    QCOMPARE(table.slot(255).name, QByteArray("Key 255"));

    KeyRecord extra = makeKey("Key 256");
    QCOMPARE(table.addKey(extra, fixedTime), KeyTable::AddResult::TableFull);
    QCOMPARE(table.keyCount(), 255);
    QCOMPARE(table.findKey("Key 256"), KeyTable::notFound);
    QCOMPARE(table.slot(255).name, QByteArray("Key 255"));
    QCOMPARE(maximumKeysMessage(), QStringLiteral("There is a maximum of 255 entries in this version of Tessary."));
}

void TestKeyTable::saltIsSixteenBytesWhetherStoredOrNot()
{
    KeyTable table;
    KeyRecord stored = makeKey("stored");
    stored.salt = "short";
    QCOMPARE(table.addKey(stored, fixedTime), KeyTable::AddResult::Added);
    QCOMPARE(stored.salt.size(), 16);
    QCOMPARE(table.slot(1), stored);

    while (!table.isFull()) {
        KeyRecord filler = makeKey("filler " + QByteArray::number(table.keyCount()));
        table.addKey(filler, fixedTime);
    }
    KeyRecord refused = makeKey("refused");
    refused.salt.clear();
    QCOMPARE(table.addKey(refused, fixedTime), KeyTable::AddResult::TableFull);
    QCOMPARE(refused.salt.size(), 16);
}

// Equal salts would give equal RC4 keystreams for the two keys' fields.
void TestKeyTable::keysAddedInTheSameSecondGetDifferentSalts()
{
    KeyTable table;
    QSet<QByteArray> salts;
    for (int i = 0; i < 50; ++i) {
        KeyRecord record = makeKey("Key " + QByteArray::number(i));
        table.addKey(record, fixedTime);
        salts.insert(record.salt);
    }
    QCOMPARE(table.keyCount(), 50);
    QCOMPARE(salts.size(), 50);
}

void TestKeyTable::addKeyStampsOleDateAndTime_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<double>("date");
    QTest::addColumn<double>("time");

    QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0 << 0.0;
    QTest::newRow("1 Jan 1900") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0 << 0.0;
    // 1900 was no leap year, and OLE dates count from 30 December so they need no correction for it.
    QTest::newRow("1 Mar 1900") << QDateTime(QDate(1900, 3, 1), QTime(0, 0)) << 61.0 << 0.0;
    QTest::newRow("before the epoch") << QDateTime(QDate(1899, 12, 29), QTime(18, 0)) << -1.0 << 0.75;
    QTest::newRow("noon 1 Jan 2000") << QDateTime(QDate(2000, 1, 1), QTime(12, 0)) << 36526.0 << 0.5;
    QTest::newRow("14:05 6 Dec 2026") << fixedTime << 46362.0 << (14 * 3600 + 5 * 60) / 86400.0;
    QTest::newRow("last second") << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)) << 46362.0 << 86399 / 86400.0;
    // The clock the stamp shows counts whole seconds.
    QTest::newRow("milliseconds") << QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0, 999)) << 46362.0 << 36000 / 86400.0;
}

void TestKeyTable::addKeyStampsOleDateAndTime()
{
    QFETCH(QDateTime, now);
    QFETCH(double, date);
    QFETCH(double, time);

    KeyTable table;
    KeyRecord record = makeKey("Key");
    record.dateCreated = 12345.0;
    record.timeCreated = 0.125;
    QCOMPARE(table.addKey(record, now), KeyTable::AddResult::Added);
    QCOMPARE(record.dateCreated, date);
    QCOMPARE(record.timeCreated, time);
    QCOMPARE(table.slot(1).dateCreated, date);
    QCOMPARE(table.slot(1).timeCreated, time);
}

// A damaged file can hold a key whose name is empty; it still counts as a key in use.
void TestKeyTable::addKeyNeverOverwritesANamelessKeyInUse()
{
    KeyTable table;
    KeyRecord nameless = makeKey("");
    QVERIFY(table.appendRecord(nameless));

    KeyRecord record = makeKey("New");
    QCOMPARE(table.addKey(record, fixedTime), KeyTable::AddResult::Added);
    QCOMPARE(table.keyCount(), 2);
    QCOMPARE(table.slot(1), nameless);
    QCOMPARE(table.slot(2), record);
}

void TestKeyTable::findKey_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("slot");

    QTest::newRow("first") << QByteArray("Alpha") << 1;
    QTest::newRow("middle") << QByteArray("Beta") << 2;
    QTest::newRow("last") << QByteArray("Gamma") << 3;
    QTest::newRow("lower case") << QByteArray("alpha") << -1;
    QTest::newRow("upper case") << QByteArray("BETA") << -1;
    QTest::newRow("prefix") << QByteArray("Alph") << -1;
    QTest::newRow("trailing space") << QByteArray("Alpha ") << -1;
    QTest::newRow("absent") << QByteArray("Delta") << -1;
}

void TestKeyTable::findKey()
{
    QFETCH(QByteArray, name);
    QFETCH(int, slot);

    QCOMPARE(threeKeys().findKey(name), slot);
}

void TestKeyTable::isKeyNameUnique_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("unique");

    QTest::newRow("existing") << QByteArray("Beta") << false;
    QTest::newRow("other case") << QByteArray("beta") << true;
    QTest::newRow("new") << QByteArray("Delta") << true;
    QTest::newRow("prefix") << QByteArray("Bet") << true;
}

void TestKeyTable::isKeyNameUnique()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, unique);

    QCOMPARE(threeKeys().isKeyNameUnique(name), unique);
}

void TestKeyTable::removeKey_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QByteArrayList>("remaining");

    QTest::newRow("first") << 1 << true << QByteArrayList{"Beta", "Gamma"};
    QTest::newRow("middle") << 2 << true << QByteArrayList{"Alpha", "Gamma"};
    QTest::newRow("last") << 3 << true << QByteArrayList{"Alpha", "Beta"};
    QTest::newRow("slot 0") << 0 << false << QByteArrayList{"Alpha", "Beta", "Gamma"};
    QTest::newRow("negative") << -1 << false << QByteArrayList{"Alpha", "Beta", "Gamma"};
    QTest::newRow("free slot") << 4 << false << QByteArrayList{"Alpha", "Beta", "Gamma"};
    QTest::newRow("slot 255") << 255 << false << QByteArrayList{"Alpha", "Beta", "Gamma"};
    QTest::newRow("past the table") << 256 << false << QByteArrayList{"Alpha", "Beta", "Gamma"};
}

void TestKeyTable::removeKey()
{
    QFETCH(int, slot);
    QFETCH(bool, removed);
    QFETCH(QByteArrayList, remaining);

    const KeyTable before = threeKeys();
    KeyTable table = before;
    QCOMPARE(table.removeKey(slot), removed);
    QCOMPARE(table.keyCount(), int(remaining.size()));
    QCOMPARE(namesInUse(table), remaining);

    // Whole records move, not only their names, and nothing is left behind in the freed slot.
    for (int s = 1; s <= table.keyCount(); ++s)
        QCOMPARE(table.slot(s), before.slot(before.findKey(remaining.at(s - 1))));
    for (int s = table.keyCount() + 1; s <= 4; ++s) {
        QVERIFY(table.slot(s).isFree());
        QVERIFY(table.slot(s).password.isEmpty());
    }

    // The next key goes straight after the last one in use.
    KeyRecord next = makeKey("Delta");
    table.addKey(next, fixedTime);
    QCOMPARE(table.findKey("Delta"), int(remaining.size()) + 1);
}

void TestKeyTable::renameKey_data()
{
    QTest::addColumn<QByteArray>("oldName");
    QTest::addColumn<QByteArray>("newName");
    QTest::addColumn<KeyTable::RenameResult>("result");
    QTest::addColumn<QByteArrayList>("namesAfter");

    const QByteArrayList unchanged{"Alpha", "Beta", "Gamma"};
    QTest::newRow("renamed") << QByteArray("Beta") << QByteArray("Delta") << KeyTable::RenameResult::Renamed
                             << QByteArrayList{"Alpha", "Delta", "Gamma"};
    QTest::newRow("only the case changes")
        << QByteArray("Beta") << QByteArray("BETA") << KeyTable::RenameResult::Renamed
        << QByteArrayList{"Alpha", "BETA", "Gamma"};
    QTest::newRow("same name") << QByteArray("Beta") << QByteArray("Beta") << KeyTable::RenameResult::Unchanged
                               << unchanged;
    QTest::newRow("name of another key") << QByteArray("Beta") << QByteArray("Gamma")
                                         << KeyTable::RenameResult::NotUnique << unchanged;
    QTest::newRow("empty name") << QByteArray("Beta") << QByteArray() << KeyTable::RenameResult::EmptyName << unchanged;
    QTest::newRow("256 characters") << QByteArray("Beta") << QByteArray(256, 'n') << KeyTable::RenameResult::TooLong
                                    << unchanged;
    QTest::newRow("absent key") << QByteArray("Zeta") << QByteArray("Omega") << KeyTable::RenameResult::NotFound
                                << unchanged;
    // The empty name is that of every free slot, not of a key.
    QTest::newRow("free slot") << QByteArray() << QByteArray("Omega") << KeyTable::RenameResult::NotFound << unchanged;
}

void TestKeyTable::renameKey()
{
    QFETCH(QByteArray, oldName);
    QFETCH(QByteArray, newName);
    QFETCH(KeyTable::RenameResult, result);
    QFETCH(QByteArrayList, namesAfter);

    const KeyTable before = threeKeys();
    KeyTable table = before;
    QCOMPARE(table.renameKey(oldName, newName), result);
    QCOMPARE(namesInUse(table), namesAfter);
    QVERIFY(table.slot(4).isFree());

    // Only the name changes, and a renamed key's salt: its fields are enciphered afresh.
    for (int s = 1; s <= 3; ++s) {
        KeyRecord expected = before.slot(s);
        expected.name = namesAfter.at(s - 1);
        const bool renamed = result == KeyTable::RenameResult::Renamed && before.slot(s).name == oldName;
        QCOMPARE(table.slot(s).salt != expected.salt, renamed);
        QCOMPARE(table.slot(s).salt.size(), saltSize);
        expected.salt = table.slot(s).salt;
        QCOMPARE(table.slot(s), expected);
    }
    QCOMPARE(namesMustBeUniqueMessage(), QStringLiteral("Names must be unique"));
}

void TestKeyTable::oleDateBothWays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<double>("days");

    QTest::newRow("epoch") << QDate(1899, 12, 30) << 0.0;
    QTest::newRow("day before the epoch") << QDate(1899, 12, 29) << -1.0;
    QTest::newRow("1 Jan 1900") << QDate(1900, 1, 1) << 2.0;
    QTest::newRow("1 Mar 1900") << QDate(1900, 3, 1) << 61.0;
    QTest::newRow("1 Jan 2000") << QDate(2000, 1, 1) << 36526.0;
    QTest::newRow("6 Dec 2026") << QDate(2026, 12, 6) << 46362.0;
    QTest::newRow("1 Jan 1") << QDate(1, 1, 1) << -693593.0;
    QTest::newRow("31 Dec 9999") << QDate(9999, 12, 31) << 2958465.0;
}

void TestKeyTable::oleDateBothWays()
{
    QFETCH(QDate, date);
    QFETCH(double, days);

    QCOMPARE(toOleDate(date), days);
    QCOMPARE(fromOleDate(days), date);
}

void TestKeyTable::fromOleDateEdgeCases_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<QDate>("date");

    // The fraction is the time of day and never moves the date, on either side of the epoch.
    QTest::newRow("late in the day") << 46362.99 << QDate(2026, 12, 6);
    QTest::newRow("negative with a time") << -1.25 << QDate(1899, 12, 29);
    // What a damaged file may hold is no date at all.
    QTest::newRow("NaN") << notANumber << QDate();
    QTest::newRow("infinity") << infinity << QDate();
    QTest::newRow("minus infinity") << -infinity << QDate();
    QTest::newRow("1e20") << 1e20 << QDate();
    QTest::newRow("-1e20") << -1e20 << QDate();
    QTest::newRow("1e300") << 1e300 << QDate();
    QTest::newRow("largest double") << largest << QDate();
    QTest::newRow("lowest double") << -largest << QDate();
}

void TestKeyTable::fromOleDateEdgeCases()
{
    QFETCH(double, days);
    QFETCH(QDate, date);

    const QDate result = fromOleDate(days);
    QCOMPARE(result.isValid(), date.isValid());
    QCOMPARE(result, date);
}

void TestKeyTable::oleTimeBothWays_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<double>("fraction");

    QTest::newRow("midnight") << QTime(0, 0) << 0.0;
    QTest::newRow("06:00") << QTime(6, 0) << 0.25;
    QTest::newRow("noon") << QTime(12, 0) << 0.5;
    QTest::newRow("18:00") << QTime(18, 0) << 0.75;
    QTest::newRow("14:05") << QTime(14, 5) << 50700 / 86400.0;
    QTest::newRow("00:00:01") << QTime(0, 0, 1) << 1 / 86400.0;
    QTest::newRow("23:59:59") << QTime(23, 59, 59) << 86399 / 86400.0;
}

void TestKeyTable::oleTimeBothWays()
{
    QFETCH(QTime, time);
    QFETCH(double, fraction);

    QCOMPARE(toOleTime(time), fraction);
    QCOMPARE(fromOleTime(fraction), time);
}

void TestKeyTable::fromOleTimeEdgeCases_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<QTime>("time");

    // A full date-and-time value: only the fraction counts.
    QTest::newRow("with a date") << 46362.5 << QTime(12, 0);
    // Before the epoch the fraction still counts forward from midnight.
    QTest::newRow("negative") << -1.25 << QTime(6, 0);
    QTest::newRow("NaN") << notANumber << QTime();
    QTest::newRow("infinity") << infinity << QTime();
    QTest::newRow("minus infinity") << -infinity << QTime();
    QTest::newRow("1e20") << 1e20 << QTime();
    QTest::newRow("1e300") << 1e300 << QTime();
    QTest::newRow("largest double") << largest << QTime();
    QTest::newRow("lowest double") << -largest << QTime();
}

void TestKeyTable::fromOleTimeEdgeCases()
{
    QFETCH(double, fraction);
    QFETCH(QTime, time);

    const QTime result = fromOleTime(fraction);
    QCOMPARE(result.isValid(), time.isValid());
    QCOMPARE(result, time);
}

void TestKeyTable::creationStamp_data()
{
    QTest::addColumn<QDateTime>("added");
    QTest::addColumn<QString>("stamp");

    // Time first, then date, each in the locale's short format.
    QTest::newRow("6 Dec 2026") << fixedTime << QStringLiteral("14:05 06/12/2026");
    QTest::newRow("seconds not shown") << QDateTime(QDate(2000, 1, 2), QTime(9, 7, 30))
                                       << QStringLiteral("09:07 02/01/2000");
}

void TestKeyTable::creationStamp()
{
    QFETCH(QDateTime, added);
    QFETCH(QString, stamp);

    KeyTable table;
    KeyRecord record = makeKey("Key");
    table.addKey(record, added);
    QCOMPARE(tessary::creationStamp(table.slot(1), QLocale(QLocale::English, QLocale::UnitedKingdom)), stamp);
}

void TestKeyTable::creationStampOfDamagedDatesIsBlank()
{
    KeyRecord record = makeKey("Key");
    record.dateCreated = notANumber;
    record.timeCreated = infinity;
    QVERIFY(tessary::creationStamp(record, QLocale(QLocale::English, QLocale::UnitedKingdom)).trimmed().isEmpty());
}

QTEST_GUILESS_MAIN(TestKeyTable)
#include "test_key_table.moc"
