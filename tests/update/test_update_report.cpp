// What the update window keeps across checks: the lamps through transfers that end or fail, and the bounds on
// lines and releases that a script from the network cannot push past.
#include "update/update_report.h"

#include <QTest>

using namespace tessary;

namespace {

using Colour = LampChange::Colour;
using Lamps = QList<Colour>;

constexpr int failed = -1; // the transfer ended without a response
constexpr int started = 0; // a new check begins

Lamps lampsOf(const UpdateReport& report)
{
    Lamps lamps;
    for (int i = 0; i < lampCount; ++i)
        lamps.append(report.lamp(i));
    return lamps;
}

UpdateCheck checkWith(int lines, int items, qsizetype unlisted = 0)
{
    UpdateCheck check;
    for (int i = 0; i < lines; ++i)
        check.lines.append({QStringLiteral("line %1").arg(i), i == 1});
    for (int i = 0; i < items; ++i)
        check.listItems.append(QStringLiteral("0.%1 - release").arg(i + 2));
    check.unlistedItems = unlisted;
    return check;
}

} // namespace

class TestUpdateReport : public QObject
{
    Q_OBJECT

private slots:
    void lamps_data();
    void lamps();
    void bounds_data();
    void bounds();
    void longTextIsShortened();
};

void TestUpdateReport::lamps_data()
{
    QTest::addColumn<QList<int>>("events");
    QTest::addColumn<Lamps>("expected");

    const Colour G = Colour::Grey;
    const Colour B = Colour::Blue;
    const Colour R = Colour::Red;
    QTest::newRow("nothing yet") << QList<int>{} << Lamps{G, G, G, G, G, G, G};
    QTest::newRow("whole transfer") << QList<int>{started, 1, 2, 5, 6, 7, 9, 10} << Lamps{G, G, G, G, G, R, G};
    QTest::newRow("waiting for the answer") << QList<int>{started, 1, 2, 5, 6} << Lamps{G, G, B, G, G, G, G};
    QTest::newRow("unknown states change nothing") << QList<int>{started, 1, 3, 4, 8} << Lamps{B, G, G, G, G, G, G};
    QTest::newRow("fails while waiting") << QList<int>{started, 1, 2, 5, 6, failed} << Lamps{G, G, G, G, G, G, R};
    QTest::newRow("fails at once") << QList<int>{started, failed} << Lamps{G, G, G, G, G, G, R};
    QTest::newRow("next check puts the error out")
        << QList<int>{started, 1, failed, started} << Lamps{G, G, G, G, G, G, G};
    QTest::newRow("finished stays lit into the next check")
        << QList<int>{started, 1, 2, 5, 6, 7, 9, 10, started, 1} << Lamps{B, G, G, G, G, R, G};
    QTest::newRow("error page after a good check")
        << QList<int>{started, 1, 2, 5, 6, 7, 9, 10, started, 1, 2, 5, 6, 7, 9, 10, failed}
        << Lamps{G, G, G, G, G, R, R};
}

void TestUpdateReport::lamps()
{
    QFETCH(QList<int>, events);
    QFETCH(Lamps, expected);
    UpdateReport report;
    for (int event : events) {
        if (event == failed)
            report.transferFailed();
        else if (event == started)
            report.startCheck();
        else
            report.transferState(event);
    }
    QCOMPARE(lampsOf(report), expected);
}

void TestUpdateReport::bounds_data()
{
    QTest::addColumn<int>("checks");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("items");
    QTest::addColumn<qsizetype>("unlisted");
    QTest::addColumn<qsizetype>("lineCount");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<qsizetype>("itemCount");
    QTest::addColumn<QString>("lastItem");

    QTest::newRow("two checks append") << 2 << 5 << 2 << qsizetype(0) << qsizetype(10) << QStringLiteral("line 4")
                                       << qsizetype(4) << QStringLiteral("0.3 - release");
    QTest::newRow("exactly at the bound") << 1 << 1000 << 1000 << qsizetype(0) << qsizetype(1000)
                                          << QStringLiteral("line 999") << qsizetype(1000)
                                          << QStringLiteral("0.1001 - release");
    QTest::newRow("one past the bound") << 1 << 1001 << 1001 << qsizetype(0) << qsizetype(1000)
                                        << QStringLiteral("(2 more lines not shown)") << qsizetype(1000)
                                        << QStringLiteral("(2 more releases not listed)");
    QTest::newRow("releases the check left out") << 1 << 3 << 1000 << qsizetype(500) << qsizetype(3)
                                                 << QStringLiteral("line 2") << qsizetype(1000)
                                                 << QStringLiteral("(501 more releases not listed)");
    QTest::newRow("the note keeps counting over checks")
        << 400 << 5 << 7 << qsizetype(0) << qsizetype(1000) << QStringLiteral("(1001 more lines not shown)")
        << qsizetype(1000) << QStringLiteral("(1801 more releases not listed)");
}

void TestUpdateReport::bounds()
{
    QFETCH(int, checks);
    QFETCH(int, lines);
    QFETCH(int, items);
    QFETCH(qsizetype, unlisted);
    QFETCH(qsizetype, lineCount);
    QFETCH(QString, lastLine);
    QFETCH(qsizetype, itemCount);
    QFETCH(QString, lastItem);

    UpdateReport report;
    for (int i = 0; i < checks; ++i)
        report.add(checkWith(lines, items, unlisted));
    QCOMPARE(report.lines().size(), lineCount);
    QCOMPARE(report.lines().last().text, lastLine);
    QVERIFY(!report.lines().last().red || lastLine == QLatin1String("line 1"));
    QCOMPARE(report.listItems().size(), itemCount);
    QCOMPARE(report.listItems().last(), lastItem);
    QCOMPARE(report.lines().at(1).red, true);
}

void TestUpdateReport::longTextIsShortened()
{
    UpdateCheck check;
    check.lines.append({QString(600, QLatin1Char('x'))});
    check.lines.append({QString(UpdateReport::maximumLength, QLatin1Char('y'))});
    check.listItems.append(QStringLiteral("0.2 - ") + QString(1 << 20, QLatin1Char('z')));
    UpdateReport report;
    report.add(check);
    QCOMPARE(report.lines().at(0).text, QString(UpdateReport::maximumLength - 1, QLatin1Char('x')) + QChar(0x2026));
    QCOMPARE(report.lines().at(1).text, QString(UpdateReport::maximumLength, QLatin1Char('y')));
    QCOMPARE(report.listItems().at(0).size(), UpdateReport::maximumLength);
    QVERIFY(report.listItems().at(0).endsWith(QChar(0x2026)));
}

QTEST_GUILESS_MAIN(TestUpdateReport)
#include "test_update_report.moc"
