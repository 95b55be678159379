// The key health rules over a small table, and the breach list's bisection.
#include "analysis/breach_list.h"
#include "analysis/key_health.h"
#include "storage/key_fields.h"
#include "storage/ole_date.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessary;

Q_DECLARE_METATYPE(QList<tessary::HealthReason>)

namespace {

using R = HealthReason;

const QDateTime now(QDate(2026, 12, 8), QTime(12, 0));

// Keys named after their passwords' roles; `age` in days before `now`.
void add(KeyTable& table, const QByteArray& name, const QByteArray& password, int age = 0)
{
    KeyRecord record;
    record.name = name;
    record.password = passwordBuffer(password);
    QCOMPARE(table.addKey(record, now.addDays(-age)), KeyTable::AddResult::Added);
}

QString writeList(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("breaches.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

} // namespace

class TestKeyHealth : public QObject
{
    Q_OBJECT
private slots:
    void reasons_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<int>("age");
        QTest::addColumn<QList<HealthReason>>("reasons");
        const QByteArray strong = "Vq8#mT2!xLp9$wRz4&Nc";
        QTest::newRow("strong and new") << strong << 0 << QList<R>{};
        QTest::newRow("empty, as another is") << QByteArray() << 0 << QList<R>{R::Empty};
        QTest::newRow("a dictionary word") << QByteArray("password") << 0 << QList<R>{R::Weak, R::Breached};
        QTest::newRow("the master password") << QByteArray("Correct Horse Battery 9!") << 0
                                             << QList<R>{R::Master};
        QTest::newRow("holds the master password, other case")
            << QByteArray("xx CORRECT HORSE BATTERY 9! yy") << 0 << QList<R>{R::Master};
        QTest::newRow("four characters of it") << QByteArray("orse") << 0 << QList<R>{R::Weak, R::Master};
        QTest::newRow("three are below the floor") << QByteArray("rse") << 0 << QList<R>{R::Weak};
        QTest::newRow("older than a year") << strong + "!" << 366 << QList<R>{R::Old};
        QTest::newRow("a year to the day") << strong + "?" << 365 << QList<R>{};
        QTest::newRow("every reason at once, in order") << QByteArray("batt") << 400
                                                        << QList<R>{R::Weak, R::Breached, R::Reused, R::Master, R::Old};
    }

    void reasons()
    {
        QFETCH(QByteArray, password);
        QFETCH(int, age);
        QFETCH(QList<HealthReason>, reasons);
        QTemporaryDir dir;
        // "password" and "batt", as a published list would have them, sorted by hash.
        QList<QByteArray> lines{sha1Hex("password") + ":3861493", sha1Hex("batt") + ":12"};
        std::sort(lines.begin(), lines.end());
        BreachList breaches;
        QString reason;
        QVERIFY(breaches.open(writeList(dir, lines.join("\r\n") + "\r\n"), reason));

        KeyTable table;
        add(table, "judged", password, age);
        add(table, "twin of batt", "batt");
        add(table, "empty too", "");
        HealthOptions options;
        options.olderThanYears = 1;
        options.breaches = &breaches;
        options.now = now;
        const QList<KeyHealth> health = checkKeyHealth(table, "Correct Horse Battery 9!", options);
        QCOMPARE(health.size(), 3);
        QCOMPARE(health.first().slot, 1);
        QCOMPARE(health.first().reasons, reasons);
        QCOMPARE(health.first().breachCount > 0, reasons.contains(R::Breached));
    }

    // "Older than N years" counts calendar years, across leap days too.
    void olderThan_data()
    {
        QTest::addColumn<QDateTime>("created");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<int>("years");
        QTest::addColumn<bool>("old");
        const auto stamp = [](int year, int month, int day, int minute) {
            return QDateTime(QDate(year, month, day), QTime(12, minute));
        };
        QTest::newRow("29 Feb, a minute before 28 Feb") << stamp(2024, 2, 29, 0) << stamp(2025, 2, 28, 0) << 1 << false;
        QTest::newRow("29 Feb, a minute after 28 Feb") << stamp(2024, 2, 29, 0) << stamp(2025, 2, 28, 1) << 1 << true;
        QTest::newRow("365 days of a leap year") << stamp(2024, 1, 1, 0) << stamp(2024, 12, 31, 1) << 1 << false;
        QTest::newRow("3650 days") << stamp(2016, 6, 1, 0) << stamp(2026, 5, 30, 1) << 10 << false;
        QTest::newRow("ten years and a minute") << stamp(2016, 6, 1, 0) << stamp(2026, 6, 1, 1) << 10 << true;
        QTest::newRow("0 years: any key made before") << stamp(2026, 6, 1, 0) << stamp(2026, 6, 1, 1) << 0 << true;
    }

    void olderThan()
    {
        QFETCH(QDateTime, created);
        QFETCH(QDateTime, at);
        QFETCH(int, years);
        QFETCH(bool, old);
        KeyTable table;
        KeyRecord record;
        record.name = "key";
        record.password = passwordBuffer("Vq8#mT2!xLp9$wRz4&Nc");
        QCOMPARE(table.addKey(record, created), KeyTable::AddResult::Added);
        HealthOptions options;
        options.olderThanYears = years;
        options.now = at;
        QCOMPARE(checkKeyHealth(table, "master", options).first().reasons, old ? QList<R>{R::Old} : QList<R>{});
    }

    void reusedGroupsAndNoPasswordReturned()
    {
        KeyTable table;
        add(table, "a", "shared one");
        add(table, "b", "unique Xq7#pL2!vR9");
        add(table, "c", "shared one");
        add(table, "d", "shared one");
        add(table, "e", "shared two");
        add(table, "f", "shared two");
        // Stored with padding after a NUL, or without: the password is what comes before the NUL.
        table.slot(6).password = "shared two";
        const QList<KeyHealth> health = checkKeyHealth(table, "master", {});
        const QList<QByteArrayList> expected{{"c", "d"}, {}, {"a", "d"}, {"a", "c"}, {"f"}, {"e"}};
        for (int i = 0; i < health.size(); ++i) {
            QCOMPARE(health[i].reusedWith, expected[i]);
            QCOMPARE(health[i].reasons.contains(R::Reused), !expected[i].isEmpty());
            // Nothing in the result holds a password: only names and numbers.
            for (const QByteArray& name : health[i].reusedWith)
                QVERIFY(!name.contains("shared"));
        }
        QCOMPARE(attentionSummary(health), QStringLiteral("5 of 6 keys need attention."));
        QCOMPARE(attentionSummary({}), QStringLiteral("0 of 0 keys need attention."));
    }

    void scoreAndBitsAreTheMetersAndZxcvbns()
    {
        KeyTable table;
        add(table, "short", "abc");
        add(table, "long", "Vq8#mT2!xLp9$wRz4&Nc");
        const QList<KeyHealth> health = checkKeyHealth(table, "master", {});
        QVERIFY(health[0].score < health[1].score);
        QVERIFY(health[0].entropyBits < weakBits);
        QVERIFY(health[1].entropyBits >= weakBits);
    }

    void breachListBisection_data()
    {
        QTest::addColumn<QByteArray>("separator");
        QTest::addColumn<bool>("finalLineEnd");
        QTest::newRow("CR LF") << QByteArray("\r\n") << true;
        QTest::newRow("LF") << QByteArray("\n") << true;
        QTest::newRow("no line end after the last") << QByteArray("\r\n") << false;
    }

    void breachListBisection()
    {
        QFETCH(QByteArray, separator);
        QFETCH(bool, finalLineEnd);
        // Every hash of 600 passwords, with counts of different lengths; the first and the last line are asked
        // for as well as those between.
        QList<QPair<QByteArray, qint64>> listed;
        for (int i = 0; i < 600; ++i)
            listed.append({sha1Hex("listed " + QByteArray::number(i)), qint64(i) * 997 + 1});
        std::sort(listed.begin(), listed.end());
        QByteArray text;
        for (const auto& [hash, count] : listed)
            text += hash + ':' + QByteArray::number(count) + separator;
        if (!finalLineEnd)
            text.chop(separator.size());
        QTemporaryDir dir;
        BreachList breaches;
        QString reason;
        QVERIFY(breaches.open(writeList(dir, text), reason));
        for (const auto& [hash, count] : listed)
            QCOMPARE(breaches.countOfHash(hash), count);
        for (const QByteArray& absent : {QByteArray(40, '0'), QByteArray(40, 'F'), sha1Hex("not listed")})
            QCOMPARE(breaches.countOfHash(absent), qint64(0));
        QVERIFY(!breaches.failed());
    }

    // A file with lines no breach list has is reported, not taken for "listed nowhere"; a listed line counts as
    // seen even when its count says otherwise.
    void whatALookUpMakesOfOddLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<bool>("failed");
        const QByteArray listed = sha1Hex("listed 1");
        QTest::newRow("no line feed in a long file") << QByteArray(4096, 'A') << qint64(0) << true;
        QTest::newRow("count 0") << listed + ":0\n" << qint64(1) << false;
        QTest::newRow("no count") << listed + "\n" << qint64(1) << false;
    }

    void whatALookUpMakesOfOddLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, count);
        QFETCH(bool, failed);
        QTemporaryDir dir;
        BreachList breaches;
        QString reason;
        QVERIFY(breaches.open(writeList(dir, text), reason));
        QCOMPARE(breaches.countOfHash(sha1Hex("listed 1")), count);
        QCOMPARE(breaches.failed(), failed);
    }

    // Bisecting a list out of order finds listed hashes unlisted: every look-up either finds its hash or fails, and
    // the list is refused by the end.
    void unsortedBreachLists_data()
    {
        QTest::addColumn<QString>("order");
        QTest::newRow("shuffled") << QStringLiteral("shuffled");
        QTest::newRow("reversed") << QStringLiteral("reversed");
        QTest::newRow("by count, most seen first") << QStringLiteral("count");
        QTest::newRow("two sorted lists one after the other") << QStringLiteral("joined");
        QTest::newRow("sorted, lower-case hex") << QStringLiteral("lower");
    }

    void unsortedBreachLists()
    {
        QFETCH(QString, order);
        QList<QPair<QByteArray, qint64>> lines;
        QRandomGenerator random(23);
        for (int i = 0; i < 2000; ++i)
            lines.append({sha1Hex("listed " + QByteArray::number(i)), random.bounded(1, 1000000)});
        if (order == QStringLiteral("joined"))
            std::sort(lines.begin() + 1000, lines.end());
        std::sort(lines.begin(), lines.begin() + (order == QStringLiteral("joined") ? 1000 : 2000));
        if (order == QStringLiteral("shuffled"))
            std::shuffle(lines.begin(), lines.end(), random);
        else if (order == QStringLiteral("reversed"))
            std::reverse(lines.begin(), lines.end());
        else if (order == QStringLiteral("count"))
            std::sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        QByteArray text;
        for (const auto& [hash, count] : lines) {
            const QByteArray written = order == QStringLiteral("lower") ? hash.toLower() : hash;
            text += written + ':' + QByteArray::number(count) + "\r\n";
        }
        QTemporaryDir dir;
        BreachList breaches;
        QString reason;
        QVERIFY(breaches.open(writeList(dir, text), reason));
        for (int i : {0, 1, 2, 1000, 1999}) {
            const QByteArray hash = sha1Hex("listed " + QByteArray::number(i));
            QVERIFY2(breaches.countOfHash(hash) > 0 || breaches.failed(), qPrintable(QString::number(i)));
        }
        QCOMPARE(breaches.failed(), order != QStringLiteral("lower"));
        QCOMPARE(breaches.failure(QStringLiteral("hibp.txt")),
                 order == QStringLiteral("lower") ? QString()
                                                  : QStringLiteral("hibp.txt is not sorted by hash; sort it with `sort "
                                                                   "-t: -k1,1`"));
    }

    void unreadableBreachLists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("nothing here");
        QTest::newRow("a folder") << QStringLiteral(".");
    }

    void unreadableBreachLists()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        BreachList breaches;
        QString reason;
        QVERIFY(!breaches.open(dir.filePath(name), reason));
        QVERIFY(!reason.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKeyHealth)
#include "test_key_health.moc"
