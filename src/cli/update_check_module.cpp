// The update check is a module of its own, loaded by `update-check` alone: the other commands then start without
// Qt Network and the libraries it brings along, which take a fifth of the tool's start-up.
#include "cli/commands.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT int tessaryUpdateCheck(const tessary::cli::Invocation& invocation,
                                                 tessary::cli::Console& console)
{
    return tessary::cli::updateCheckCommand(invocation, console);
}
