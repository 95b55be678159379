#pragma once

#include "test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTimer>

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the real tessary-cli with standard input `input`, in the C locale. Its data folder (TESSARY_DATA) is
// `dataFolder`, else the test's working directory: never the user's own. The event loop keeps turning while it
// runs, so a server in the test's own thread can answer it.
inline CliRun runCli(const QStringList& arguments, const QByteArray& input = {}, const QString& dataFolder = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    environment.insert(QStringLiteral("TESSARY_DATA"), dataFolder.isEmpty() ? QDir::currentPath() : dataFolder);
    process.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    // Only a failed start ends the wait: a write error just means the tool exited without reading its input.
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    process.start(QStringLiteral(TESSARY_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    CliRun run;
    if (process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    else
        process.kill();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Every file of a directory with its bytes: a refused command must leave this unchanged.
inline QMap<QString, QByteArray> snapshot(const QString& directory)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            files.insert(it.fileName(), file.readAll());
    }
    return files;
}

