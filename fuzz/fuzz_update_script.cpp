// Any bytes as an update script from the network: no crash, a bounded report, and no file written but the
// history, and that only once the script has passed every test before it.
#include "storage/codepage.h"
#include "update/update_script.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessary;
    static QTemporaryDir directory;
    const QString history = directory.filePath(QStringLiteral("history.dat"));
    QFile::remove(history);

    const QString script = fromCodePage(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const UpdateCheck check = evaluateUpdateScript(script, history);

    if (check.lines.size() > 6 || check.listItems.size() > maximumListItems || check.unlistedItems < 0)
        std::abort();
    if (check.unlistedItems > 0 && check.listItems.size() != maximumListItems)
        std::abort();
    // The history is written exactly when the check got as far as reading it: a history that does not read
    // leaves the lines printed before it.
    using O = UpdateCheck::Outcome;
    const bool reachedHistory = check.outcome == O::Listed || (check.outcome == O::Unreadable && !check.lines.isEmpty());
    if (QFile::exists(history) != reachedHistory)
        std::abort();
    if (QDir(directory.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size() > 1)
        std::abort();
    if (check.outcome != O::Listed && (!check.listItems.isEmpty() || check.unlistedItems != 0))
        std::abort();
    const bool boxed = check.outcome == O::MessageBox || check.outcome == O::Unreadable;
    if (boxed == check.message.isEmpty())
        std::abort();
    return 0;
}
