#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace tessary {

// Where both programs keep their files, so that the menu's program and a terminal's tessary-cli see the same
// ones: the folder given on the command line (which must exist), else $TESSARY_DATA, else
// $XDG_DATA_HOME/Tessary (~/.local/share/Tessary). The latter two are made with mode 0700 when missing.
struct DataFolder
{
    QString path;    // absolute
    QString failure; // empty once the folder is the working directory; else why it is not, for the user
};

// Chooses the folder, makes it when it may, and makes it the process's working directory, so that every bare
// file name resolves there. A folder others can write (without the sticky bit) or another user's is refused, and so
// is the default folder when there is no HOME.
DataFolder enterDataFolder(const QString& given, const QProcessEnvironment& environment);

} // namespace tessary
