#include "cli/commands.h"

#include <QCoreApplication>
#include <QLibrary>

namespace tessary::cli {

int updateCheckByModule(const Invocation& invocation, Console& console)
{
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
