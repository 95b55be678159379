// The desktop program's rules that need no window: the "/s" rule, the login box's refill length, the tray's
// message table and double clicks, and core dumps kept off.
#include "app/core_dumps.h"
#include "app/start_rules.h"
#include "app/tray_messages.h"

#include <QtTest>

#include <sys/resource.h>

using namespace tessary;

Q_DECLARE_METATYPE(tessary::TrayAction)

class TestAppRules : public QObject
{
    Q_OBJECT
private slots:
    void trayOnlySwitch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("trayOnly");
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("/s") << QStringList{QStringLiteral("/s")} << true;
        QTest::newRow("/S") << QStringList{QStringLiteral("/S")} << true;
        QTest::newRow("/silent") << QStringList{QStringLiteral("/silent")} << true;
        QTest::newRow("path with /s") << QStringList{QStringLiteral("/home/ann/Secrets")} << true;
        QTest::newRow("among others") << QStringList{QStringLiteral("-x"), QStringLiteral("a/s")} << true;
        QTest::newRow("-s") << QStringList{QStringLiteral("-s")} << false;
        QTest::newRow("slash alone") << QStringList{QStringLiteral("/"), QStringLiteral("s")} << false;
        QTest::newRow("backslash") << QStringList{QStringLiteral("\\s")} << false;
    }

    void trayOnlySwitch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, trayOnly);
        QCOMPARE(startsWithTrayOnly(arguments), trayOnly);
    }

    void garbleLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty, r 0") << 0 << 0.0 << 255;
        QTest::newRow("one, r 0") << 1 << 0.0 << 257;
        QTest::newRow("ten, r 0.5") << 10 << 0.5 << 325;
        QTest::newRow("ten, r just below 1") << 10 << 0.999999 << 374;
        QTest::newRow("216, r 0.0099") << 216 << 0.0099 << 687;
        QTest::newRow("216, r 0.01") << 216 << 0.01 << 688;
    }

    void garbleLength()
    {
        QFETCH(int, length);
        QFETCH(double, r);
        QFETCH(int, expected);
        QCOMPARE(tessary::garbleLength(length, r), expected);
    }

    void trayDecoding_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<TrayAction>("action");
        QTest::newRow("512 move") << 512 << TrayAction::Nothing;
        QTest::newRow("513 left down") << 513 << TrayAction::MenuWithDefault;
        QTest::newRow("514 left up") << 514 << TrayAction::Nothing;
        QTest::newRow("515 left double") << 515 << TrayAction::FirstItem;
        QTest::newRow("516 right down") << 516 << TrayAction::MenuWithoutDefault;
        QTest::newRow("517 right up") << 517 << TrayAction::Nothing;
        QTest::newRow("518 right double") << 518 << TrayAction::FirstItem;
        QTest::newRow("519 middle down") << 519 << TrayAction::Nothing;
        QTest::newRow("0") << 0 << TrayAction::Nothing;
    }

    void trayDecoding()
    {
        QFETCH(int, message);
        QFETCH(TrayAction, action);
        QCOMPARE(decodeTrayMessage(message), action);
    }

    void trayDoubleClick_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QPoint>("moved");
        QTest::addColumn<int>("expected");
        QTest::newRow("left, at once") << 513 << 513 << qint64(0) << QPoint() << 515;
        QTest::newRow("right, at the limit") << 516 << 516 << qint64(400) << QPoint(4, -4) << 518;
        QTest::newRow("too late") << 513 << 513 << qint64(401) << QPoint() << 0;
        QTest::newRow("moved too far across") << 516 << 516 << qint64(100) << QPoint(5, 0) << 0;
        QTest::newRow("moved too far down") << 513 << 513 << qint64(100) << QPoint(0, -5) << 0;
        QTest::newRow("other button") << 513 << 516 << qint64(100) << QPoint() << 0;
        QTest::newRow("middle button") << 0 << 0 << qint64(100) << QPoint() << 0;
        QTest::newRow("clock behind") << 513 << 513 << qint64(-1) << QPoint() << 0;
    }

    void trayDoubleClick()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(qint64, elapsed);
        QFETCH(QPoint, moved);
        QFETCH(int, expected);
        const QPoint at(900, 750);
        QCOMPARE(tessary::trayDoubleClick({first, 5000, at}, {second, 5000 + elapsed, at + moved}, 400, 4), expected);
    }

    void coreDumpsOff()
    {
        disableCoreDumps();
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_CORE, &limit), 0);
        QCOMPARE(limit.rlim_cur, rlim_t(0));
        QCOMPARE(limit.rlim_max, rlim_t(0));
    }
};

QTEST_GUILESS_MAIN(TestAppRules)
#include "test_app_rules.moc"
