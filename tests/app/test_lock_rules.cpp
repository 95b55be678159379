// When the idle lock falls due, over a clock the test moves, and the options read back from the settings store.
#include "app/idle_rule.h"
#include "app/program_options.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessary;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(tessary::ProgramOptions)

class TestLockRules : public QObject
{
    Q_OBJECT
private slots:
    // Steps: "+90" 90 seconds pass awake, "sleep 600" 600 seconds asleep, "input" in the program's windows,
    // "desktop 30" the desktop's idle time is 30 seconds, "login" the count starts again.
    void idleRule_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("due");
        QTest::addColumn<int>("idleSeconds");
        QTest::newRow("a second short of the timeout") << 5 << "+299" << false << 299;
        QTest::newRow("at the timeout") << 5 << "+300" << true << 300;
        QTest::newRow("own input starts it again") << 5 << "+240 input +240" << false << 240;
        QTest::newRow("input elsewhere on the desktop") << 5 << "+240 desktop 10 +240" << false << 250;
        QTest::newRow("desktop idle older than own input") << 5 << "+60 input +180 desktop 600" << false << 180;
        QTest::newRow("a login starts it again") << 5 << "+600 login +10" << false << 10;
        QTest::newRow("0 never locks") << 0 << "+360000 sleep 360000" << false << 720000;
        QTest::newRow("a sleep past the timeout: due on waking") << 5 << "+60 sleep 3600" << true << 3660;
        QTest::newRow("the desktop's clock stops in a sleep") << 5 << "+60 sleep 3600 desktop 61" << true << 3660;
        QTest::newRow("a short sleep counts") << 5 << "+60 sleep 120" << false << 180;
        // Input the desktop saw just before the sleep, learned only after it: the sleep counts as idle.
        QTest::newRow("input just before a sleep") << 5 << "desktop 0 +1 sleep 3600 desktop 0" << true << 3600;
        QTest::newRow("input after waking, once a look saw the sleep")
            << 5 << "+60 sleep 60 desktop 61 +5 desktop 2" << false << 2;
    }

    void idleRule()
    {
        QFETCH(int, minutes);
        QFETCH(QString, steps);
        QFETCH(bool, due);
        QFETCH(int, idleSeconds);
        // Both clocks start far from zero, and apart, as after a boot and an earlier sleep.
        IdleMoment now{1000h, 1500h};
        IdleRule rule([&now] { return now; });
        rule.setTimeout(std::chrono::minutes(minutes));
        const QStringList words = steps.split(QLatin1Char(' '));
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString& word = words[i];
            if (word.startsWith(QLatin1Char('+'))) {
                const std::chrono::seconds passed(word.mid(1).toInt());
                now.awake += passed;
                now.elapsed += passed;
            } else if (word == QLatin1String("sleep")) {
                now.elapsed += std::chrono::seconds(words[++i].toInt());
            } else if (word == QLatin1String("desktop")) {
                rule.desktopIdle(std::chrono::seconds(words[++i].toInt()));
            } else if (word == QLatin1String("input")) {
                rule.inputSeen();
            } else {
                QCOMPARE(word, QStringLiteral("login"));
                rule.restart();
            }
        }
        QCOMPARE(rule.isDue(), due);
        QCOMPARE(std::chrono::duration_cast<std::chrono::seconds>(rule.idleTime()).count(), idleSeconds);
    }

    void systemClocksRunApart()
    {
        const IdleMoment first = systemIdleMoment();
        QVERIFY(first.elapsed >= first.awake);
        QTest::qSleep(20);
        const IdleMoment second = systemIdleMoment();
        QVERIFY(second.awake - first.awake >= 19ms);
        QVERIFY(second.elapsed - first.elapsed >= second.awake - first.awake - 1ms);
    }

    // Stored values as the store keeps them (text), what they read as.
    void options_data()
    {
        QTest::addColumn<QString>("values"); // idle|screen lock|clipboard|breakdown; "-" stores none
        QTest::addColumn<ProgramOptions>("read");
        QTest::newRow("nothing stored: the defaults") << "-|-|-|-" << ProgramOptions{5, true, 60, true};
        QTest::newRow("within the ranges") << "1440|false|10|0" << ProgramOptions{1440, false, 10, false};
        QTest::newRow("the lower ends") << "0|true|600|1" << ProgramOptions{0, true, 600, true};
        QTest::newRow("below the ranges") << "-3|0|9|0.5" << ProgramOptions{0, false, 10, false};
        QTest::newRow("above the ranges") << "99999999999|1|601|7" << ProgramOptions{1440, true, 600, true};
        QTest::newRow("no numbers") << "five|perhaps| |x" << ProgramOptions{5, true, 60, true};
    }

    void options()
    {
        QFETCH(QString, values);
        const QStringList stored = values.split(QLatin1Char('|'));
        QFETCH(ProgramOptions, read);
        QTemporaryDir folder;
        QSettings settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        const char* names[] = {"LockAfterIdleMinutes", "LockOnScreenLock", "ClipboardSeconds", "HidePasswordBreakdown"};
        for (int i = 0; i < 4; ++i) {
            if (stored[i] != QLatin1String("-"))
                settings.setValue(QStringLiteral("Settings/") + QLatin1String(names[i]), stored[i]);
        }
        QCOMPARE(readProgramOptions(settings), read);

        // What is written reads back the same.
        QSettings again(folder.filePath(QStringLiteral("again.ini")), QSettings::IniFormat);
        writeProgramOptions(again, read);
        QCOMPARE(readProgramOptions(again), read);
    }
};

QTEST_GUILESS_MAIN(TestLockRules)
#include "test_lock_rules.moc"
