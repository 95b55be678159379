// A new user: listed, given an empty key ring, then logged in.
#include "app/session.h"

#include "app/generation_memory.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/user_list.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

#include <unistd.h>

namespace tessary {

namespace {

// The longest name beside a key ring its writers make: its lock, "<file>.lock" (storage/file_lock).
constexpr qsizetype lockSuffixLength = 5;

// Why the data folder's file system cannot hold this key ring's name and its lock's, or empty when it can.
QString fileNameLengthRefusal(const QString& directory, const QString& fileName)
{
    const long limit = ::pathconf(QFile::encodeName(directory).constData(), _PC_NAME_MAX);
    const qsizetype nameMax = limit > 0 ? qsizetype(limit) : 255;
    if (QFile::encodeName(fileName).size() + lockSuffixLength <= nameMax)
        return {};
    const qsizetype suffix = fileName.size() - fileName.lastIndexOf(QLatin1Char('.'));
    return QStringLiteral("The user name is too long to name a key ring file after: this file system takes at most "
                          "%1 of its letters, digits, \"-\", \"_\" and \"~\".")
        .arg(nameMax - lockSuffixLength - suffix);
}

} // namespace

Session::Outcome Session::createUser(const QString& userName, const QString& password, KeyRingFormat format)
{
    const QString fileName = keyRingFileName(userName);
    if (fileName.isEmpty())
        return refusedOutcome(noFileNameMessage(userName));
    if (const QString refusal = userNameRefusal(userName); !refusal.isEmpty())
        return refusedOutcome(refusal);
    if (const QString refusal = fileNameLengthRefusal(m_directory, fileName); !refusal.isEmpty())
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
    std::shared_ptr<const LockedBytes> key;
    const KdfParameters kdf = freshKdf();
    if (format == KeyRingFormat::Strong) {
        key = sealingKey(secret, kdf);
        if (!key) {
            wipe(secret);
            return refusedOutcome(QStringLiteral("There is no memory to make the key ring's key."));
        }
    }
    const bool created = format == KeyRingFormat::Strong
                             ? createStrongKeyRing(file, toCodePage(userName), kdf, *key, &error)
                             : createKeyRing(file, secret, &error);
    if (!created) {
        wipe(secret);
        return refusedOutcome(error);
    }

    // Read back as any login reads it, so that what was written is known to open.
    KeyRingReadResult read = readKeyRing(file, fileName);
    if (!read.usable()) {
        wipe(secret);
        return unusableKeyRingOutcome(read);
    }
    KeyRing ring;
    MasterSecret opened;
    if (format == KeyRingFormat::Strong) {
        StrongContent content;
        if (tessary::openStrongRing(read.sealed, read.strong, *key, content) != StrongOpen::Opened) {
            wipe(secret);
            return refusedOutcome(passwordMismatchMessage(), true);
        }
        ring.format = format;
        ring.owner = std::move(content.owner);
        ring.kdf = kdf;
        ring.generation = content.generation;
        opened = MasterSecret{ownCopy(secret), {}, std::move(key)};
        keepGeneration(userName, file, ring.generation);
    } else {
        const QByteArray digest = unlockKeyTable(read.table, secret, read.storedDigest);
        if (digest != read.storedDigest) {
            wipe(secret);
            return refusedOutcome(passwordMismatchMessage(), true);
        }
        ring.storedDigest = digest;
        opened = MasterSecret{ownCopy(secret), digest, nullptr};
    }
    wipe(secret);
    ring.fileName = file;
    ring.file = read.file;
    return takeOver(userName, std::move(opened), std::move(ring), std::move(lock));
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
