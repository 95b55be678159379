#include "cli/commands.h"

#include "cli/key_ring_access.h"
#include "crypto/password_hash.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

#include <QFile>
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
    const QString ring = QFileInfo(session.keyRing().fileName).fileName();
    if (target == KeyRingFormat::Classic) {
        console.out(QStringLiteral("%1 is now in the classic format, which Tessary 0.1 opens: MD2 and RC4, no seal.")
                        .arg(ring));
        return done;
    }
    const KdfParameters& kdf = session.keyRing().kdf;
    console.out(QStringLiteral("%1 is now a strong key ring: Argon2id (%2 passes over %3 MiB) and XChaCha20-Poly1305.")
                    .arg(ring)
                    .arg(kdf.passes)
                    .arg(kdf.memory >> 20));

    // The copies the classic ring left behind open with the old secrets, MD2 and RC4.
    const QString exported = session.path(QString::fromLatin1(exportFileName));
    const QString backup = session.keyRing().fileName + QStringLiteral(".bak");
    const KeyRingReadResult exportRead = readKeyRing(exported, QString::fromLatin1(exportFileName));
    // The export is shared by every user: only this user's own is this user's to remove.
    const bool ownExport = exportRead.format == KeyRingFormat::Classic && exportRead.usable() &&
                           !oldDigest.isEmpty() && exportRead.storedDigest == oldDigest;
    QStringList copies;
    for (const QString& copy : {ownExport ? exported : QString(), QFileInfo::exists(backup) ? backup : QString()}) {
        if (copy.isEmpty())
            continue;
        if (invocation.hasFlag(QStringLiteral("--remove-copies")) && QFile::remove(copy))
            console.out(QStringLiteral("Removed %1.").arg(QFileInfo(copy).fileName()));
        else
            copies.append(QFileInfo(copy).fileName());
    }
    console.err(QStringLiteral("Older copies are still in the classic format, under the old master password: %1any "
                               "backup you made of %2.%3")
                    .arg(copies.isEmpty() ? QString() : copies.join(QStringLiteral(", ")) + QStringLiteral(" and "),
                         ring,
                         copies.isEmpty() ? QString()
                                          : QStringLiteral(" --remove-copies removes %1.")
                                                .arg(copies.join(QStringLiteral(" and ")))));
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
