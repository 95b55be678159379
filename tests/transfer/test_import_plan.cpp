// The import's rules (refusals, names, the full ring), the session's one save of the keys, and the exports in clear.
#include "app/session.h"
#include "storage/codepage.h"
#include "storage/file_lock.h"
#include "storage/key_fields.h"
#include "storage/ole_date.h"
#include "transfer/csv_import.h"
#include "transfer/import_plan.h"
#include "transfer/key_export.h"
#include "transfer/new_file.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessary;

namespace {

const QDateTime now(QDate(2026, 5, 6), QTime(7, 8, 9));

ImportRow row(int number, const QString& title, const QString& password = QStringLiteral("pw"),
              const QString& notes = {}, const QString& url = {})
{
    ImportRow made;
    made.number = number;
    made.title = title;
    made.password = password;
    made.notes = notes;
    made.url = url;
    return made;
}

// "title -> name" for each imported row, "title: reason" for each refused one.
QStringList outcomes(const ImportPlan& plan)
{
    QStringList lines;
    for (const PlannedRow& planned : plan.rows)
        lines.append(planned.outcome == PlannedRow::Outcome::Refused ? planned.title + QStringLiteral(": ") + planned.reason
                                                                    : planned.title + QStringLiteral(" -> ") + planned.name);
    return lines;
}

KeyTable tableOf(const QList<QByteArray>& names)
{
    KeyTable table;
    for (const QByteArray& name : names) {
        KeyRecord record;
        record.name = name;
        table.addKey(record);
    }
    return table;
}

} // namespace

class TestImportPlan : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void fullRing();
    void recordsAsStored();
    void addKeysSavesOnceOrNotAtAll();
    void csvExportReadsBack();
    void xmlRefusesWhatXmlCannotCarry();
    void newFileOnly_data();
    void newFileOnly();
};

void TestImportPlan::rules_data()
{
    QTest::addColumn<QList<ImportRow>>("rows");
    QTest::addColumn<QStringList>("expected");

    const QString s128(128, QLatin1Char('p'));
    QTest::newRow("limits: at them imported, past them refused, never cut")
        << QList<ImportRow>{row(1, QString(255, QLatin1Char('n'))), row(2, QString(256, QLatin1Char('n'))),
                            row(3, QStringLiteral("P128"), s128), row(4, QStringLiteral("P129"), s128 + QLatin1Char('p')),
                            row(5, QStringLiteral("N255"), {}, QString(255, QLatin1Char('x'))),
                            row(6, QStringLiteral("LF counts two"), {}, QString(127, QLatin1Char('x')) + QStringLiteral("\n"))}
        << QStringList{QString(255, QLatin1Char('n')) + QStringLiteral(" -> ") + QString(255, QLatin1Char('n')),
                       QString(256, QLatin1Char('n')) + QStringLiteral(": the name is longer than 255 characters"),
                       QStringLiteral("P128 -> P128"), QStringLiteral("P129: the password is longer than 128 characters"),
                       QStringLiteral("N255 -> N255"), QStringLiteral("LF counts two -> LF counts two")};
    QTest::newRow("notes counted once stored")
        << QList<ImportRow>{row(1, QStringLiteral("Long"), {}, QString(128, QLatin1Char('\n')))}
        << QStringList{QStringLiteral("Long: the notes are longer than 255 characters once stored")};
    QTest::newRow("characters outside the code page; a password's never named")
        << QList<ImportRow>{row(1, QStringLiteral("Ж")), row(2, QStringLiteral("Pw"), QStringLiteral("пароль")),
                            row(3, QStringLiteral("Ümlaut €"))}
        << QStringList{QStringLiteral("Ж: the name holds \"Ж\", which a key ring cannot store"),
                       QStringLiteral("Pw: the password holds a character a key ring cannot store"),
                       QStringLiteral("Ümlaut € -> Ümlaut €")};
    QTest::newRow("a NUL would end the stored password")
        << QList<ImportRow>{row(1, QStringLiteral("Nul"), QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("c"))}
        << QStringList{QStringLiteral("Nul: the password holds a NUL character, where a stored password ends")};
    QTest::newRow("clashes with a key and with earlier rows")
        << QList<ImportRow>{row(1, QStringLiteral("alpha")), row(2, QStringLiteral("Mail")), row(3, QStringLiteral("Mail")),
                            row(4, QStringLiteral("Mail (2)")), row(5, QStringLiteral("mail"))}
        << QStringList{QStringLiteral("alpha -> alpha (2)"), QStringLiteral("Mail -> Mail"),
                       QStringLiteral("Mail -> Mail (2)"), QStringLiteral("Mail (2) -> Mail (2) (2)"),
                       QStringLiteral("mail -> mail")};
    QTest::newRow("a refused row takes no name")
        << QList<ImportRow>{row(1, QStringLiteral("Same"), QString(129, QLatin1Char('p'))), row(2, QStringLiteral("Same"))}
        << QStringList{QStringLiteral("Same: the password is longer than 128 characters"), QStringLiteral("Same -> Same")};
    QTest::newRow("no title: the URL's host, else Imported N")
        << QList<ImportRow>{row(1, {}, {}, {}, QStringLiteral("https://www.mozilla.org/login")),
                            row(2, {}, {}, {}, QStringLiteral("https://www.mozilla.org/other")),
                            row(3, {}, {}, {}, QStringLiteral("mailto:a@b")), row(4, {})}
        << QStringList{QStringLiteral(" -> www.mozilla.org"), QStringLiteral(" -> www.mozilla.org (2)"),
                       QStringLiteral(" -> Imported 1"), QStringLiteral(" -> Imported 2")};
    QTest::newRow("a number that would make the name too long")
        << QList<ImportRow>{row(1, QString(252, QLatin1Char('n'))), row(2, QString(252, QLatin1Char('n'))),
                            row(3, QString(251, QLatin1Char('n'))), row(4, QString(251, QLatin1Char('n')))}
        << QStringList{QString(252, QLatin1Char('n')) + QStringLiteral(" -> ") + QString(252, QLatin1Char('n')),
                       QString(252, QLatin1Char('n')) +
                           QStringLiteral(": the name is taken, and with a number it would be longer than 255 characters"),
                       QString(251, QLatin1Char('n')) + QStringLiteral(" -> ") + QString(251, QLatin1Char('n')),
                       QString(251, QLatin1Char('n')) + QStringLiteral(" -> ") + QString(251, QLatin1Char('n')) +
                           QStringLiteral(" (2)")};
    ImportRow unreadable = row(1, QStringLiteral("Short"));
    unreadable.refusal = QStringLiteral("it has 3 fields where the header row has 10");
    QTest::newRow("the reader's refusal stands")
        << QList<ImportRow>{unreadable} << QStringList{QStringLiteral("Short: it has 3 fields where the header row has 10")};
}

void TestImportPlan::rules()
{
    QFETCH(QList<ImportRow>, rows);
    QFETCH(QStringList, expected);
    ImportRows read;
    read.rows = rows;
    const ImportPlan plan = planImport(read, tableOf({"alpha", "beta"}), now);
    QCOMPARE(outcomes(plan), expected);
    QCOMPARE(plan.records.size(), plan.rows.size() - plan.refusedCount());
}

void TestImportPlan::fullRing()
{
    QList<QByteArray> names;
    for (int i = 0; i < 253; ++i)
        names.append("k" + QByteArray::number(i));
    ImportRows read;
    read.rows = {row(1, QStringLiteral("a")), row(2, QStringLiteral("b"), QString(200, QLatin1Char('x'))),
                 row(3, QStringLiteral("c")), row(4, QStringLiteral("d"))};
    const ImportPlan plan = planImport(read, tableOf(names), now);
    QCOMPARE(outcomes(plan), (QStringList{QStringLiteral("a -> a"),
                                          QStringLiteral("b: the password is longer than 128 characters"),
                                          QStringLiteral("c -> c"), QStringLiteral("d: the key ring is full (255 keys)")}));
    QCOMPARE(planHeadline(plan), QStringLiteral("4 keys: 2 to import, 2 refused"));
}

void TestImportPlan::recordsAsStored()
{
    ImportRows read;
    ImportRow given = row(1, QStringLiteral("Mail"), QStringLiteral("pässword"), QStringLiteral("one\ntwo\r\nthree"),
                          QStringLiteral("mailto:ann@example.org"));
    given.userName = QStringLiteral("ann");
    given.created = QDateTime(QDate(2020, 3, 4), QTime(5, 6, 7, 890), Qt::UTC);
    read.rows = {given, row(2, QStringLiteral("Undated"))};
    const ImportPlan plan = planImport(read, KeyTable(), now);
    QCOMPARE(plan.records.size(), 2);
    const KeyRecord& record = plan.records.first();
    QCOMPARE(record.url, QByteArray("mailto:ann@example.org")); // no http:// put in front
    QCOMPARE(record.description, QByteArray("one\r\ntwo\r\nthree"));
    QCOMPARE(record.password, passwordBuffer("p\xe4ssword"));
    const QDateTime local = given.created.toLocalTime();
    QCOMPARE(fromOleDate(record.dateCreated), local.date());
    QCOMPARE(fromOleTime(record.timeCreated), QTime(local.time().hour(), local.time().minute(), local.time().second()));
    QCOMPARE(fromOleDate(plan.records.at(1).dateCreated), now.date());
    QCOMPARE(fromOleTime(plan.records.at(1).timeCreated), now.time());
}

void TestImportPlan::addKeysSavesOnceOrNotAtAll()
{
    QTemporaryDir dir;
    {
        Session maker(dir.path());
        QVERIFY(maker.createUser(QStringLiteral("Ann"), QStringLiteral("pw")).succeeded());
        KeyRecord record;
        record.name = "alpha";
        record.password = passwordBuffer("a");
        maker.keyTable().addKey(record);
        QVERIFY(maker.save());
    }
    Session session(dir.path());
    QVERIFY(session.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
    ImportRows read;
    read.rows = {row(1, QStringLiteral("b")), row(2, QStringLiteral("c"))};
    const QString ring = dir.filePath(QStringLiteral("Ann.keyRing"));
    const QByteArray before = fileBytes(ring);
    {
        const ImportPlan plan = planImport(read, session.keyTable(), now);
        FileLock other(ring);
        QVERIFY(other.tryLock());
        QString error;
        QVERIFY(!session.addKeys(plan.records, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(session.keyTable().keyCount(), 1);
        QCOMPARE(fileBytes(ring), before);
    }
    {
        const ImportPlan plan = planImport(read, session.keyTable(), now);
        QVERIFY(session.addKeys(plan.records));
    }
    // The plan is gone and wiped; the keys it gave are whole, each under a salt of its own.
    QCOMPARE(session.keyTable().keyCount(), 3);
    QCOMPARE(session.keyTable().slot(3).name, QByteArray("c"));
    QCOMPARE(usablePassword(session.keyTable().slot(3)), QByteArray("pw"));
    QVERIFY(session.keyTable().slot(2).salt != session.keyTable().slot(3).salt);
    QVERIFY(session.keyTable().slot(2).salt != QByteArray(16, '\0'));
    Session reader(dir.path());
    QVERIFY(reader.login(QStringLiteral("Ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
    QCOMPARE(reader.keyTable().keyCount(), 3);
    QCOMPARE(reader.keyTable().slot(2), session.keyTable().slot(2));
}

void TestImportPlan::csvExportReadsBack()
{
    KeyTable table;
    KeyRecord record;
    record.name = "Quote \"me\", comma";
    record.userName = "\xe9l\xe8ve";
    record.url = "mailto:a@b";
    record.description = "line 1\r\nline 2";
    record.password = passwordBuffer("p\"w,1");
    table.addKey(record, QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6)));
    const QByteArray csv = keePassXcCsv(table);
    QVERIFY(csv.startsWith("\"Group\",\"Title\",\"Username\""));
    const ImportRows read = readCsvImport(QString::fromUtf8(csv), std::nullopt, QStringLiteral("out.csv"));
    QCOMPARE(read.failure, QString());
    QCOMPARE(read.rows.size(), 1);
    const ImportRow& back = read.rows.first();
    QCOMPARE(back.title, QStringLiteral("Quote \"me\", comma"));
    QCOMPARE(back.userName, QStringLiteral("élève"));
    QCOMPARE(back.password, QStringLiteral("p\"w,1")); // cut at the buffer's NUL
    QCOMPARE(back.notes, QStringLiteral("line 1\nline 2"));
    QCOMPARE(back.created, QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6)));
}

void TestImportPlan::xmlRefusesWhatXmlCannotCarry()
{
    KeyTable table;
    KeyRecord good;
    good.name = "Fine";
    good.password = passwordBuffer("x");
    table.addKey(good);
    KeyRecord bad;
    bad.name = "Bell";
    bad.description = "ring\x01";
    table.addKey(bad);
    QString refusal;
    QVERIFY(keePassXml(table, refusal).isEmpty());
    QCOMPARE(refusal, QStringLiteral("The key \"Bell\" holds a character XML cannot carry (U+0001 in its notes). "
                                     "Nothing was written."));
}

void TestImportPlan::newFileOnly_data()
{
    QTest::addColumn<QString>("planted"); // "", "file", "link", "dangling"
    QTest::addColumn<bool>("written");
    QTest::newRow("a new name") << QString() << true;
    QTest::newRow("a file there") << QStringLiteral("file") << false;
    QTest::newRow("a link to a file") << QStringLiteral("link") << false;
    QTest::newRow("a link to nothing yet") << QStringLiteral("dangling") << false;
}

void TestImportPlan::newFileOnly()
{
    QFETCH(QString, planted);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    const QString target = dir.filePath(QStringLiteral("target"));
    if (planted == QLatin1String("file"))
        QVERIFY(writeFile(path, "old"));
    if (planted == QLatin1String("link"))
        QVERIFY(writeFile(target, "old"));
    if (planted == QLatin1String("link") || planted == QLatin1String("dangling"))
        QVERIFY(QFile::link(target, path));
    QString reason;
    QCOMPARE(writeNewFile(path, "secret", reason), written);
    if (!written) {
        QCOMPARE(reason, QStringLiteral("it exists already, and an export is written only as a new file"));
        QVERIFY(fileBytes(target) == "old" || !QFileInfo::exists(target));
        QVERIFY(fileBytes(path) != "secret");
        return;
    }
    QCOMPARE(fileBytes(path), QByteArray("secret"));
    struct stat status = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
}

QTEST_GUILESS_MAIN(TestImportPlan)
#include "test_import_plan.moc"
