#pragma once

#include "cli/arguments.h"
#include "cli/console.h"

namespace tessary::cli {

// Exit statuses.
inline constexpr int done = 0;
inline constexpr int failed = 1; // refused or failed, with the program's message on standard error
inline constexpr int usageError = 2;

using Command = int (*)(const Invocation&, Console&);

struct CommandEntry
{
    CommandSyntax syntax;
    Command run;
    bool usesDataFolder = true; // false: the command reads and writes no file, so no folder is made for it
};

const QList<CommandEntry>& commandTable();
QList<CommandSyntax> commandSyntaxes();

// The whole program: arguments without the program name.
int runCli(const QStringList& arguments, Console& console);

int usersCommand(const Invocation&, Console&);
int createUserCommand(const Invocation&, Console&);
int lsCommand(const Invocation&, Console&);
int showCommand(const Invocation&, Console&);
int addCommand(const Invocation&, Console&);
int editCommand(const Invocation&, Console&);
int renameCommand(const Invocation&, Console&);
int rmCommand(const Invocation&, Console&);
int passwdCommand(const Invocation&, Console&);
int upgradeCommand(const Invocation&, Console&);
int downgradeCommand(const Invocation&, Console&);
int importCommand(const Invocation&, Console&);
int exportCommand(const Invocation&, Console&);
int checkCommand(const Invocation&, Console&);
int auditCommand(const Invocation&, Console&);
int estimateCommand(const Invocation&, Console&);
int generateCommand(const Invocation&, Console&);
// In the update check module, which updateCheckByModule loads and runs.
int updateCheckCommand(const Invocation&, Console&);
int updateCheckByModule(const Invocation&, Console&);

// A usage error for the command: the reason, then the usage text, on standard error.
int usageFailure(Console& console, const QString& reason);

} // namespace tessary::cli
