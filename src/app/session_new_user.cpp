// A new user: listed, given an empty key ring, then logged in.
#include "app/session.h"

#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/user_list.h"

#include <QFileInfo>

#include <utility>

namespace tessary {

Session::Outcome Session::createUser(const QString& userName, const QString& password)
{
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refusedOutcome(noFileNameMessage(userName));
    if (const QString refusal = userNameRefusal(userName); !refusal.isEmpty())
        return refusedOutcome(refusal);
    const QString file = path(fileName);
    if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
        return refusedOutcome(userExistsMessage(fileName));
    if (const QString refusal = masterPasswordRefusal(password); !refusal.isEmpty())
        return refusedOutcome(refusal);

    auto lock = std::make_unique<FileLock>(file);
    if (!lock->tryLock())
        return refusedOutcome(lock->refusal());
    QByteArray secret = toCodePage(password);
    // The name is listed first: a key ring nobody is listed for would block the name for good, while a listed
    // user without one gets it at the first login.
    const UserAddition listed = addUser(path(QString::fromLatin1(userListFileName)), userName);
    if (listed.status == UserAddition::Status::FileNameTaken || listed.status == UserAddition::Status::Refused) {
        wipe(secret);
        return refusedOutcome(listed.status == UserAddition::Status::FileNameTaken ? userExistsMessage(fileName)
                                                                                   : listed.reason);
    }
    QString error;
    if (!createKeyRing(file, secret, &error)) {
        wipe(secret);
        return refusedOutcome(error);
    }

    KeyRingReadResult read = readKeyRing(file, fileName);
    if (!read.usable()) {
        wipe(secret);
        return unusableKeyRingOutcome(read);
    }
    const QByteArray digest = unlockKeyTable(read.table, secret, read.storedDigest);
    if (digest != read.storedDigest) {
        wipe(secret);
        return refusedOutcome(passwordMismatchMessage(), true);
    }
    Outcome outcome = takeOver(userName, secret, digest, std::move(read), file, std::move(lock));
    wipe(secret);
    return outcome;
}

QString userExistsMessage(const QString& fileName)
{
    return QStringLiteral("User already exists! (%1)").arg(fileName);
}

QString userNameRefusal(const QString& userName)
{
    if (const QString reason = unlistableNameReason(userName); !reason.isEmpty())
        return reason;
    if (keyRingFileName(userName).compare(QLatin1String(exportFileName), Qt::CaseInsensitive) == 0)
        return QStringLiteral("The user name %1 would share its key ring with the export file %2; choose another.")
            .arg(userName, QLatin1String(exportFileName));
    return {};
}

QString masterPasswordRefusal(const QString& password)
{
    if (password.isEmpty())
        return emptyMasterPasswordMessage();
    if (!fitsCodePage(password))
        return QStringLiteral("The master password holds characters a key ring cannot store; use letters, digits "
                              "and the punctuation of Western European languages.");
    // Every character it holds is one byte of the code page: its length is the stored one.
    if (password.size() > maximumMasterPasswordLength)
        return longMasterPasswordMessage();
    return {};
}

QString passwordMismatchMessage()
{
    return QStringLiteral("Argh! Evil Error! Evil! Evil! Your password is not the same as your password! (Or so it "
                          "seems... Don't ask) Perhaps a read/write error?");
}

} // namespace tessary
