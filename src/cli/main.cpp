#include "app/core_dumps.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    tessary::disableCoreDumps();
    // Arguments are UTF-8 whatever the locale says; taken before Qt looks at them.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessary-cli"));
    tessary::cli::Console console;
    return tessary::cli::runCli(arguments, console);
}
