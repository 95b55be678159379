#include "app/data_folder.h"

#include "storage/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace tessary {

namespace {

QString chosenPath(const QString& given, const QProcessEnvironment& environment)
{
    if (!given.isEmpty())
        return given;
    if (const QString data = environment.value(QStringLiteral("TESSARY_DATA")); !data.isEmpty())
        return data;
    // The base directory standard ignores a relative XDG_DATA_HOME.
    QString base = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        // Without a home there is no folder of the user's own: Qt's answer then is "/", where the folders would be
        // made for everyone.
        const QString home = environment.value(QStringLiteral("HOME"));
        if (home.isEmpty() || QDir::isRelativePath(home))
            return {};
        base = home + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/Tessary");
}

// Each missing folder on the way gets 0700 too, as the base directory standard asks of its own.
bool makeFolder(const QString& path, QString& reason)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !makeFolder(parent, reason))
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return true;
    const int error = errno;
    if (error == EEXIST && QFileInfo(path).isDir())
        return true;
    reason = systemReason(error);
    return false;
}

QString modeText(mode_t mode)
{
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

// Others who can write the folder could replace, remove or redirect the files in it: it must be the user's (or
// root's) and writable by its owner alone, unless the sticky bit keeps each file to its owner (then every file of
// someone else's in it is refused where it is read).
QString unsafeFolderReason(const QString& shown)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(shown).constData(), &status) != 0)
        return QStringLiteral("The directory %1 cannot be examined: %2.").arg(shown, systemReason(errno));
    const QString owner = accountName(status.st_uid);
    if (status.st_uid != ::geteuid() && status.st_uid != 0)
        return QStringLiteral("The directory %1 belongs to %2 (mode %3), not to you, so Tessary keeps no key rings in "
                              "it. Choose a folder of your own (TESSARY_DATA, or --dir for tessary-cli).")
            .arg(shown, owner, modeText(status.st_mode));
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (status.st_mode & S_ISVTX) == 0)
        return QStringLiteral("The directory %1 (owner %2, mode %3) can be written by other users, who could replace or "
                              "redirect the key rings in it. Make it yours alone with: chmod 700 %1")
            .arg(shown, owner, modeText(status.st_mode));
    return {};
}

} // namespace

DataFolder enterDataFolder(const QString& given, const QProcessEnvironment& environment)
{
    const QString chosen = chosenPath(given, environment);
    if (chosen.isEmpty())
        return {{}, QStringLiteral("HOME is not set, so there is no data folder to use. Set HOME, or name a folder with "
                                   "TESSARY_DATA (or --dir for tessary-cli).")};
    DataFolder folder{QDir::cleanPath(QDir::current().absoluteFilePath(chosen)), {}};
    const QString shown = QDir::toNativeSeparators(folder.path);
    // A folder named on the command line is not made: a mistyped one would hide the user's files behind an
    // empty user list.
    if (!given.isEmpty() && !QFileInfo(folder.path).isDir()) {
        folder.failure = QStringLiteral("There is no directory %1.").arg(shown);
        return folder;
    }
    if (QString reason; !makeFolder(folder.path, reason)) {
        folder.failure = QStringLiteral("The directory %1 cannot be made: %2.").arg(shown, reason);
        return folder;
    }
    if (const QString unsafe = unsafeFolderReason(shown); !unsafe.isEmpty()) {
        folder.failure = unsafe;
        return folder;
    }
    if (!QDir::setCurrent(folder.path))
        folder.failure = QStringLiteral("The directory %1 cannot be entered.").arg(shown);
    return folder;
}

} // namespace tessary
