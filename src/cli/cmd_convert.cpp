#include "cli/commands.h"

#include "app/conversion_notes.h"
#include "cli/key_ring_access.h"
#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

#include <QFileInfo>

namespace tessary::cli {

namespace {

int convert(const Invocation& invocation, Console& console, KeyRingFormat target)
{
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Write))
        return status;
    Session& session = access.session();
    const QByteArray oldDigest = session.keyRing().storedDigest;
    QString password = fromCodePage(session.secret().password);
    const Session::PasswordChange change = session.convertKeyRing(password, target);
    wipe(password);
    if (change.status != Session::PasswordChange::Status::Changed) {
        console.err(change.message);
        return failed;
    }
    console.out(convertedMessage(session.keyRing()));
    access.warnOfGeneration();
    if (target == KeyRingFormat::Classic)
        return done;

    // The copies the classic ring left behind open with the old secrets, MD2 and RC4.
    QStringList copies;
    for (const QString& copy : classicCopies(session, oldDigest)) {
        const QString name = QFileInfo(copy).fileName();
        QString why;
        if (invocation.hasFlag(QStringLiteral("--remove-copies")) && removeCopy(copy, &why)) {
            console.out(QStringLiteral("Removed %1.").arg(name));
            continue;
        }
        if (!why.isEmpty())
            console.err(QStringLiteral("%1 was not removed: %2").arg(name, why));
        copies.append(name);
    }
    QString message = olderCopiesMessage(QFileInfo(session.keyRing().fileName).fileName(), copies);
    if (!copies.isEmpty())
        message += QStringLiteral(" --remove-copies removes %1.").arg(copies.join(QStringLiteral(" and ")));
    console.err(message);
    return done;
}

} // namespace

int upgradeCommand(const Invocation& invocation, Console& console)
{
    return convert(invocation, console, KeyRingFormat::Strong);
}

int downgradeCommand(const Invocation& invocation, Console& console)
{
    return convert(invocation, console, KeyRingFormat::Classic);
}

} // namespace tessary::cli
