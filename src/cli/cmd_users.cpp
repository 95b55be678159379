#include "cli/commands.h"

#include "cli/key_output.h"
#include "storage/user_list.h"

#include <QDir>

namespace tessary::cli {

int usersCommand(const Invocation& invocation, Console& console)
{
    QString error;
    const QStringList names = readUserList(QDir(invocation.directory).filePath(QString::fromLatin1(userListFileName)),
                                           maximumUsers, &error);
    if (!error.isEmpty()) {
        console.err(error);
        return failed;
    }
    for (const QString& name : names)
        console.out(printable(name));
    return done;
}

} // namespace tessary::cli
