#include "app/core_dumps.h"
#include "cli/commands.h"

#include <QStringList>

int main(int argc, char* argv[])
{
    tessary::disableCoreDumps();
    // Arguments are UTF-8 whatever the locale says.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    // There is no application object (which would also load the locale): only the update check needs one, and
    // makes it; every other command starts sooner without.
    tessary::cli::Console console;
    return tessary::cli::runCli(arguments, console);
}
