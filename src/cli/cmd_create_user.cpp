#include "cli/commands.h"

#include "app/session.h"
#include "cli/key_ring_access.h"
#include "crypto/wipe.h"

#include <QFileInfo>

namespace tessary::cli {

int createUserCommand(const Invocation& invocation, Console& console)
{
    const QString& userName = invocation.arguments.at(0);
    Session session(invocation.directory);
    // The refusals that need no password come before it is asked for.
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty()) {
        console.err(noFileNameMessage(userName));
        return failed;
    }
    if (QFileInfo::exists(session.path(fileName))) {
        console.err(userExistsMessage(fileName));
        return failed;
    }
    if (const QString refusal = userNameRefusal(userName); !refusal.isEmpty()) {
        console.err(refusal);
        return failed;
    }

    QString password = console.readSecret(QStringLiteral("Master password for the new user: "));
    if (console.inputIsTerminal() && !password.isEmpty()) {
        QString again = console.readSecret(QStringLiteral("The same again: "));
        const bool same = again == password;
        wipe(again);
        if (!same) {
            wipe(password);
            console.err(QStringLiteral("The two passwords differ. Nothing was written."));
            return failed;
        }
    }
    const Session::Outcome outcome = session.createUser(userName, password);
    wipe(password);
    if (!outcome.succeeded()) {
        console.err(outcome.message);
        return failed;
    }
    console.out(fileName);
    return done;
}

} // namespace tessary::cli
