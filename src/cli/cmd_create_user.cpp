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

    bool differ = false;
    QString password = console.readNewSecret(QStringLiteral("Master password for the new user: "), differ);
    if (differ)
        return failed;
    const Session::Outcome outcome = session.createUser(
        userName, password,
        invocation.hasFlag(QStringLiteral("--strong")) ? KeyRingFormat::Strong : KeyRingFormat::Classic);
    wipe(password);
    if (!outcome.succeeded()) {
        console.err(outcome.message);
        return failed;
    }
    console.out(fileName);
    if (const QString warning = session.takeGenerationWarning(); !warning.isEmpty())
        console.err(warning);
    return done;
}

} // namespace tessary::cli
