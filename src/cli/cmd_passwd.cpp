#include "cli/commands.h"

#include "cli/key_ring_access.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

namespace tessary::cli {

int passwdCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console);
    // The current password is line 1, as for every command; open() refuses a wrong one.
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Write))
        return status;
    QString current = fromCodePage(access.session().secret().password);
    QString replacement = console.readSecret(QStringLiteral("New master password: "));
    if (console.inputIsTerminal() && !replacement.isEmpty()) {
        QString again = console.readSecret(QStringLiteral("The same again: "));
        const bool same = again == replacement;
        wipe(again);
        if (!same) {
            wipe(current);
            wipe(replacement);
            console.err(QStringLiteral("The two passwords differ. Nothing was written."));
            return failed;
        }
    }
    const Session::PasswordChange change = access.session().changeMasterPassword(current, replacement);
    wipe(current);
    wipe(replacement);
    if (change.status != Session::PasswordChange::Status::Changed) {
        console.err(change.message);
        return failed;
    }
    return done;
}

} // namespace tessary::cli
