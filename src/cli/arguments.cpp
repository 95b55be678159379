#include "cli/arguments.h"

#include <QDir>

namespace tessary::cli {

QString Invocation::userPath(const QString& path) const
{
    return startDirectory.isEmpty() ? path : QDir(startDirectory).absoluteFilePath(path);
}

namespace {

bool isHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

} // namespace

std::variant<Invocation, UsageError> parseArguments(const QStringList& arguments,
                                                    const QList<CommandSyntax>& commands)
{
    Invocation invocation;
    bool directoryGiven = false;
    qsizetype i = 0;
    for (; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (isHelp(argument)) {
            invocation.help = true;
            return invocation;
        }
        if (argument == QLatin1String("--dir")) {
            if (++i == arguments.size())
                return UsageError{QStringLiteral("--dir needs a directory.")};
            invocation.directory = arguments.at(i);
            directoryGiven = true;
        } else if (argument.startsWith(QLatin1String("--dir="))) {
            invocation.directory = argument.mid(6);
            directoryGiven = true;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return UsageError{QStringLiteral("Unknown option %1.").arg(argument)};
        } else {
            break;
        }
    }
    if (directoryGiven && invocation.directory.isEmpty())
        return UsageError{QStringLiteral("--dir needs a directory.")};
    if (i == arguments.size())
        return UsageError{QStringLiteral("No command given.")};

    invocation.command = arguments.at(i++);
    const CommandSyntax* syntax = nullptr;
    for (const CommandSyntax& candidate : commands) {
        if (candidate.name == invocation.command)
            syntax = &candidate;
    }
    if (!syntax)
        return UsageError{QStringLiteral("Unknown command %1.").arg(invocation.command)};

    bool optionsEnded = false;
    for (; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1String("--")) || argument == QLatin1String("-")) {
            invocation.arguments.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (isHelp(argument)) {
            invocation.help = true;
            return invocation;
        } else if (syntax->flags.contains(argument)) {
            invocation.flags.append(argument);
        } else {
            QString name = argument;
            QString value;
            bool valueGiven = false;
            if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
                name = argument.left(equals);
                value = argument.mid(equals + 1);
                valueGiven = true;
            }
            if (!syntax->valueOptions.contains(name))
                return UsageError{QStringLiteral("%1 does not take the option %2.").arg(syntax->name, name)};
            if (!valueGiven) {
                if (++i == arguments.size())
                    return UsageError{QStringLiteral("%1 needs a value.").arg(name)};
                value = arguments.at(i);
            }
            if (invocation.options.contains(name))
                return UsageError{QStringLiteral("%1 is given twice.").arg(name)};
            invocation.options.insert(name, value);
        }
    }
    const auto count = invocation.arguments.size();
    if (count < syntax->minimumArguments || count > syntax->maximumArguments)
        return UsageError{QStringLiteral("Wrong number of arguments for %1.").arg(syntax->name)};
    return invocation;
}

} // namespace tessary::cli
