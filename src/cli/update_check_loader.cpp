#include "cli/commands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace tessary::cli {

namespace {

// The module beside the tool is the build tree's; an installed tool finds it in the library folder it was
// built for.
QString modulePath()
{
    const QString name = QStringLiteral(TESSARY_UPDATE_CHECK_MODULE);
    const QString beside = QCoreApplication::applicationDirPath() + u'/' + name;
    return QFileInfo::exists(beside) ? beside : QStringLiteral(TESSARY_MODULE_DIR) + u'/' + name;
}

} // namespace

int updateCheckByModule(const Invocation& invocation, Console& console)
{
    // The event loop of the fetch, and the folder the tool lies in (Qt takes it from /proc, not from argv).
    int argc = 1;
    char name[] = "tessary-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QLibrary module(modulePath());
    using Entry = int (*)(const Invocation&, Console&);
    const auto entry = reinterpret_cast<Entry>(module.resolve("tessaryUpdateCheck"));
    if (!entry) {
        console.err(QStringLiteral("The update check cannot be loaded: %1").arg(module.errorString()));
        return failed;
    }
    return entry(invocation, console);
}

} // namespace tessary::cli
