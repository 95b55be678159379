#include "cli/commands.h"

#include "cli/key_ring_access.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

namespace tessary::cli {

int passwdCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    // The current password is line 1, as for every command; open() refuses a wrong one.
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Write))
        return status;
    QString current = fromCodePage(access.session().secret().password);
    bool differ = false;
    QString replacement = console.readNewSecret(QStringLiteral("New master password: "), differ);
    if (differ) {
        wipe(current);
        return failed;
    }
    const Session::PasswordChange change = access.session().changeMasterPassword(current, replacement);
    wipe(current);
    wipe(replacement);
    if (change.status != Session::PasswordChange::Status::Changed) {
        console.err(change.message);
        return failed;
    }
    access.warnOfGeneration();
    return done;
}

} // namespace tessary::cli
