#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <variant>

namespace tessary::cli {

// What a command accepts after its name.
struct CommandSyntax
{
    QString name;
    int minimumArguments = 0;
    int maximumArguments = 0;
    QStringList valueOptions; // "--url" and the like, each followed by its value
    QStringList flags;        // "--json"
};

struct Invocation
{
    QString directory; // --dir's; once the data folder is entered, its absolute path
    QString startDirectory; // where the tool was started, for the files a command names (import, export)
    bool help = false;
    QString command;
    QStringList arguments;
    QMap<QString, QString> options; // by option name, "--url"
    QStringList flags;

    bool hasFlag(const QString& flag) const { return flags.contains(flag); }
    // A file named on the command line, as the user's shell meant it: relative to where the tool was started.
    QString userPath(const QString& path) const;
};

struct UsageError
{
    QString message;
};

// Splits the command line (without the program name). A "--" ends the options, so a key name may begin with
// a dash.
std::variant<Invocation, UsageError> parseArguments(const QStringList& arguments,
                                                    const QList<CommandSyntax>& commands);

} // namespace tessary::cli
