// tessary-cli against a hostile world: a full disk, special files, signals at the password prompt, and stored
// text made to steer a terminal.
#include "cli_runner.h"
#include "small_disk.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray line(const QString& text)
{
    return text.toUtf8() + '\n';
}

// Runs the tool in `directory`.
CliRun cliIn(const QString& directory, const QStringList& arguments, const QByteArray& input = {})
{
    return runCli(QStringList{QStringLiteral("--dir"), directory} + arguments, input);
}

// User Ann (master password "pw") with the keys named, each key's password its name.
bool makeAnn(const QString& directory, const QStringList& keys)
{
    if (cliIn(directory, {QStringLiteral("create-user"), QStringLiteral("Ann")}, "pw\n").exitCode != 0)
        return false;
    for (const QString& key : keys) {
        if (cliIn(directory, {QStringLiteral("add"), QStringLiteral("Ann"), key, QStringLiteral("--notes"),
                              QString(250, QLatin1Char('n'))},
                  "pw\n" + line(key))
                .exitCode != 0)
            return false;
    }
    return true;
}

// Waits until the terminal's echo is `on`, for at most a few seconds.
bool waitForEcho(int fd, bool on)
{
    QDeadlineTimer deadline(10'000);
    while (!deadline.hasExpired()) {
        termios settings{};
        if (tcgetattr(fd, &settings) == 0 && ((settings.c_lflag & ECHO) != 0) == on)
            return true;
        QThread::msleep(10);
    }
    return false;
}

// Waits until the process is stopped, for at most a few seconds.
bool waitForStop(qint64 pid)
{
    QDeadlineTimer deadline(10'000);
    while (!deadline.hasExpired()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.open(QIODevice::ReadOnly) && stat.readAll().split(')').value(1).startsWith(" T"))
            return true;
        QThread::msleep(10);
    }
    return false;
}

} // namespace

class TestCliSafety : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskChangesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        const QString ann = QStringLiteral("Ann");
        QTest::newRow("add") << QStringList{QStringLiteral("add"), ann, QStringLiteral("New")}
                             << QByteArray("pw\nnew\n");
        QTest::newRow("edit") << QStringList{QStringLiteral("edit"), ann, QStringLiteral("Mail"),
                                             QStringLiteral("--url"), QStringLiteral("example.org")}
                              << QByteArray("pw\n");
        QTest::newRow("rename") << QStringList{QStringLiteral("rename"), ann, QStringLiteral("Mail"),
                                               QStringLiteral("Post")}
                                << QByteArray("pw\n");
        QTest::newRow("rm") << QStringList{QStringLiteral("rm"), ann, QStringLiteral("Mail")} << QByteArray("pw\n");
        QTest::newRow("export") << QStringList{QStringLiteral("export"), ann} << QByteArray("pw\n");
        // The lock files the commands hold are empty: they need no room.
        QTest::newRow("create-user") << QStringList{QStringLiteral("create-user"), QStringLiteral("carolyn")}
                                     << QByteArray("pw\n");
    }

    void fullDiskChangesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        SmallDisk disk;
        if (!disk.isMounted())
            QSKIP("this test may not mount a tmpfs here; the core's writers are tested under a file size limit");
        QVERIFY(makeAnn(disk.path(), {QStringLiteral("Mail"), QStringLiteral("Bank")}));
        QCOMPARE(cliIn(disk.path(), {QStringLiteral("export"), QStringLiteral("Ann")}, "pw\n").exitCode, 0);
        const auto before = snapshot(disk.path());

        QVERIFY(disk.fill());
        const CliRun run = cliIn(disk.path(), arguments, input);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(std::strerror(ENOSPC)), run.err.constData());
        QVERIFY(disk.freeFiller());
        QCOMPARE(snapshot(disk.path()), before);
        QCOMPARE(cliIn(disk.path(), arguments, input).exitCode, 0);
    }

    void specialFilesAnswerAtOnce()
    {
        QTemporaryDir dir;
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("Ann.keyRing"))).constData(), 0600) == 0);
        for (const QStringList& arguments : {QStringList{QStringLiteral("ls"), QStringLiteral("Ann")},
                                             QStringList{QStringLiteral("check"), QStringLiteral("Ann.keyRing")}}) {
            const CliRun run = cliIn(dir.path(), arguments, "pw\n");
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.startsWith("Cannot read Ann.keyRing: "), run.err.constData());
        }
        CliRun run;

        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("Tessary.UserList"))).constData(), 0600) == 0);
        run = cliIn(dir.path(), {QStringLiteral("create-user"), QStringLiteral("Bob")}, "pw\n");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
                 (QStringList{QStringLiteral("Ann.keyRing"), QStringLiteral("Tessary.UserList")}));
        run = cliIn(dir.path(), {QStringLiteral("users")});
        QCOMPARE(run.exitCode, 1);
    }

    void noCoreDumps()
    {
        QTemporaryDir dir;
        QVERIFY(makeAnn(dir.path(), {}));
        QProcess process;
        // Started as after "ulimit -c unlimited".
        process.setChildProcessModifier([] {
            const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
            ::setrlimit(RLIMIT_CORE, &unlimited);
        });
        process.start(QStringLiteral(TESSARY_CLI),
                      {QStringLiteral("--dir"), dir.path(), QStringLiteral("ls"), QStringLiteral("Ann")});
        QVERIFY(process.waitForStarted());
        // It waits at the password prompt for as long as this looks.
        QByteArray limits;
        QDeadlineTimer deadline(10'000);
        while (!deadline.hasExpired() && !limits.contains("Max core file size        0                    0")) {
            QFile file(QStringLiteral("/proc/%1/limits").arg(process.processId()));
            limits = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            QThread::msleep(10);
        }
        process.kill();
        process.waitForFinished();
        QVERIFY2(limits.contains("Max core file size        0                    0"), limits.constData());
    }

    void echoComesBackOnEveryEndingSignal_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("Ctrl+C") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGQUIT") << SIGQUIT;
        QTest::newRow("SIGHUP") << SIGHUP;
        // Ctrl+Z gives the shell its echo while stopped; fg takes it away again before the password is typed.
        QTest::newRow("Ctrl+Z, then fg") << SIGTSTP;
    }

    void echoComesBackOnEveryEndingSignal()
    {
        QFETCH(int, number);
        QTemporaryDir dir;
        QVERIFY(makeAnn(dir.path(), {}));
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString terminal = QString::fromLocal8Bit(::ptsname(master));
        const int observer = ::open(QFile::encodeName(terminal).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(observer >= 0);
        QVERIFY(waitForEcho(observer, true));

        QProcess process;
        process.setStandardInputFile(terminal);
        // A process group of its own, as a shell's job: an orphan's stop would be ignored.
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.start(QStringLiteral(TESSARY_CLI),
                      {QStringLiteral("--dir"), dir.path(), QStringLiteral("ls"), QStringLiteral("Ann")});
        QVERIFY(process.waitForStarted());
        const auto pid = static_cast<pid_t>(process.processId());
        QVERIFY2(waitForEcho(observer, false), "the prompt never turned the echo off");
        ::kill(pid, number);
        if (number == SIGTSTP) {
            QVERIFY2(waitForStop(pid), "Ctrl+Z did not stop the tool");
            QVERIFY2(waitForEcho(observer, true), "the echo stayed off while the tool was stopped");
            ::kill(pid, SIGCONT);
            QVERIFY2(waitForEcho(observer, false), "the echo came back on with the tool");
            QCOMPARE(::write(master, "pw\n", 3), ssize_t(3));
        }
        QVERIFY(process.waitForFinished(10'000));
        QCOMPARE(process.exitStatus(), number == SIGTSTP ? QProcess::NormalExit : QProcess::CrashExit);
        QVERIFY2(waitForEcho(observer, true), "the terminal was left without echo");
        char echoed[64] = {};
        QVERIFY(::read(master, echoed, sizeof echoed) <= 0 || !QByteArray(echoed).contains("pw"));
        ::close(observer);
        ::close(master);
    }

    void passwordsOnlyWhenAsked()
    {
        QTemporaryDir dir;
        QVERIFY(makeAnn(dir.path(), {QStringLiteral("Mail")}));
        const QString ann = QStringLiteral("Ann");
        const QString mail = QStringLiteral("Mail");
        const QString json = QStringLiteral("--json");
        const QString show = QStringLiteral("--show-password");
        const struct
        {
            QStringList arguments;
            bool shown;
        } cases[] = {
            {{QStringLiteral("show"), ann, mail}, false},
            {{QStringLiteral("show"), ann, mail, json}, false},
            {{QStringLiteral("ls"), ann, json}, false},
            {{QStringLiteral("show"), ann, mail, show}, true},
            {{QStringLiteral("show"), ann, mail, json, show}, true},
            {{QStringLiteral("ls"), ann, json, show}, true},
        };
        for (const auto& c : cases) {
            const CliRun run = cliIn(dir.path(), c.arguments, "pw\n");
            QCOMPARE(run.exitCode, 0);
            // The key's password is "Mail": in text after "Password: ", in JSON as the member's value.
            const bool printed = run.out.contains("Password: Mail") || run.out.contains("\"password\"");
            QVERIFY2(printed == c.shown, qPrintable(c.arguments.join(QLatin1Char(' '))));
        }
    }

    void controlCharactersAreShownEscaped()
    {
        QTemporaryDir dir;
        QVERIFY(makeAnn(dir.path(), {}));
        const QString name = QStringLiteral("red\x1b[31m\x07");
        QCOMPARE(cliIn(dir.path(),
                       {QStringLiteral("add"), QStringLiteral("Ann"), name, QStringLiteral("--username"),
                        QStringLiteral("a\tb"), QStringLiteral("--notes"), QStringLiteral("one\r\ntwo\x81")},
                       "pw\nx\n")
                     .exitCode,
                 0);
        CliRun run = cliIn(dir.path(), {QStringLiteral("ls"), QStringLiteral("Ann")}, "pw\n");
        QVERIFY2(run.out.startsWith("red\\x1b[31m\\x07\t\t"), run.out.constData());
        QVERIFY(run.out.contains("\ta\\tb\t"));
        run = cliIn(dir.path(), {QStringLiteral("show"), QStringLiteral("Ann"), name}, "pw\n");
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("Keyname: red\\x1b[31m\\x07\n"));
        QVERIFY2(run.out.contains("Key Description: one\\r\\ntwo\\x81\n"), run.out.constData());
        QVERIFY(!run.out.contains('\x1b') && !run.out.contains('\x07'));
    }

    void renameKeepsTheNameLimit()
    {
        QTemporaryDir dir;
        QVERIFY(makeAnn(dir.path(), {QStringLiteral("Mail")}));
        const auto before = snapshot(dir.path());
        const QStringList rename{QStringLiteral("rename"), QStringLiteral("Ann"), QStringLiteral("Mail")};
        CliRun run = cliIn(dir.path(), rename + QStringList{QString(256, QLatin1Char('k'))}, "pw\n");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(snapshot(dir.path()), before);
        run = cliIn(dir.path(), rename + QStringList{QString(255, QLatin1Char('k'))}, "pw\n");
        QCOMPARE(run.exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TestCliSafety)
#include "test_cli_safety.moc"
