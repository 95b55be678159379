#include "cli/commands.h"

#include "cli/key_ring_access.h"

namespace tessary::cli {

int exportCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console);
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Read))
        return status;
    QString error;
    if (!access.session().exportKeyRing(&error)) {
        console.err(error);
        return failed;
    }
    return done;
}

} // namespace tessary::cli
