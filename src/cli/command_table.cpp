#include "cli/commands.h"

#include "app/data_folder.h"
#include "cli/usage.h"

#include <QDir>

#include <variant>

namespace tessary::cli {

namespace {

const QStringList keyFields{QStringLiteral("--username"), QStringLiteral("--url"), QStringLiteral("--notes")};
const QStringList keyOutput{QStringLiteral("--json"), QStringLiteral("--show-password")};
const QStringList older{QStringLiteral("--accept-older")};

} // namespace

const QList<CommandEntry>& commandTable()
{
    static const QList<CommandEntry> table{
        {{QStringLiteral("users"), 0, 0, {}, {}}, usersCommand},
        {{QStringLiteral("create-user"), 1, 1, {}, {QStringLiteral("--strong")}}, createUserCommand},
        {{QStringLiteral("ls"), 1, 1, {}, keyOutput}, lsCommand},
        {{QStringLiteral("show"), 2, 2, {}, keyOutput}, showCommand},
        {{QStringLiteral("add"), 2, 2, keyFields, older}, addCommand},
        {{QStringLiteral("edit"), 2, 2, keyFields, older + QStringList{QStringLiteral("--password")}}, editCommand},
        {{QStringLiteral("rename"), 3, 3, {}, older}, renameCommand},
        {{QStringLiteral("rm"), 2, 2, {}, older}, rmCommand},
        {{QStringLiteral("passwd"), 1, 1, {}, older}, passwdCommand},
        {{QStringLiteral("upgrade"), 1, 1, {}, older + QStringList{QStringLiteral("--remove-copies")}}, upgradeCommand},
        {{QStringLiteral("downgrade"), 1, 1, {}, older}, downgradeCommand},
        {{QStringLiteral("import"), 2, 2, {QStringLiteral("--format")},
          older + QStringList{QStringLiteral("--dry-run"), QStringLiteral("--skip-refused")}},
         importCommand},
        {{QStringLiteral("export"), 1, 1, {QStringLiteral("--format"), QStringLiteral("--output")}, {}}, exportCommand},
        {{QStringLiteral("check"), 1, 1, {}, {}}, checkCommand},
        {{QStringLiteral("audit"), 1, 1, {QStringLiteral("--older-than"), QStringLiteral("--breached")},
          {QStringLiteral("--json")}},
         auditCommand},
        {{QStringLiteral("estimate"), 0, 0, {QStringLiteral("--loops")}, {}}, estimateCommand, false},
        {{QStringLiteral("generate"), 0, 1,
          {QStringLiteral("--length"), QStringLiteral("--classes"), QStringLiteral("--words"),
           QStringLiteral("--separator")},
          {QStringLiteral("--no-look-alikes"), QStringLiteral("--bits")}},
         generateCommand, false},
        {{QStringLiteral("update-check"), 0, 1, {}, {}}, updateCheckByModule},
    };
    return table;
}

QList<CommandSyntax> commandSyntaxes()
{
    QList<CommandSyntax> syntaxes;
    for (const CommandEntry& entry : commandTable())
        syntaxes.append(entry.syntax);
    return syntaxes;
}

int usageFailure(Console& console, const QString& reason)
{
    console.err(reason);
    console.err(usageText());
    return usageError;
}

int runCli(const QStringList& arguments, Console& console)
{
    const auto parsed = parseArguments(arguments, commandSyntaxes());
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return usageFailure(console, error->message);
    auto invocation = std::get<Invocation>(parsed);
    if (invocation.help) {
        console.out(usageText());
        return done;
    }
    for (const CommandEntry& entry : commandTable()) {
        if (entry.syntax.name != invocation.command)
            continue;
        invocation.startDirectory = QDir::currentPath();
        if (entry.usesDataFolder) {
            const DataFolder folder = enterDataFolder(invocation.directory, QProcessEnvironment::systemEnvironment());
            if (!folder.failure.isEmpty()) {
                console.err(folder.failure);
                return failed;
            }
            invocation.directory = folder.path;
        }
        return entry.run(invocation, console);
    }
    return usageFailure(console, QStringLiteral("Unknown command %1.").arg(invocation.command));
}

} // namespace tessary::cli
