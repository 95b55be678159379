#include "cli/commands.h"

#include <QCoreApplication>
#include <QLibrary>

namespace tessary::cli {

int updateCheckByModule(const Invocation& invocation, Console& console)
{
    // The event loop of the fetch, and the folder the module lies in (Qt takes it from /proc, not from argv).
    int argc = 1;
    char name[] = "tessary-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QLibrary module(QCoreApplication::applicationDirPath() + QStringLiteral("/tessary_update_check"));
    using Entry = int (*)(const Invocation&, Console&);
    const auto entry = reinterpret_cast<Entry>(module.resolve("tessaryUpdateCheck"));
    if (!entry) {
        console.err(QStringLiteral("The update check cannot be loaded: %1").arg(module.errorString()));
        return failed;
    }
    return entry(invocation, console);
}

} // namespace tessary::cli
