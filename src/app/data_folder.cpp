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
        const QString home = environment.value(QStringLiteral("HOME"));
        base = (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.local/share");
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

} // namespace

DataFolder enterDataFolder(const QString& given, const QProcessEnvironment& environment)
{
    DataFolder folder{QDir::cleanPath(QDir::current().absoluteFilePath(chosenPath(given, environment))), {}};
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
    if (!QDir::setCurrent(folder.path))
        folder.failure = QStringLiteral("The directory %1 cannot be entered.").arg(shown);
    return folder;
}

} // namespace tessary
