#include "cli/commands.h"

#include "cli/key_output.h"
#include "storage/codepage.h"
#include "update/script_fetch.h"
#include "update/update_script.h"

#include <QDir>

namespace tessary::cli {

int updateCheckCommand(const Invocation& invocation, Console& console)
{
    const QUrl url = invocation.arguments.isEmpty() ? updateScriptUrl()
                                                    : QUrl::fromUserInput(invocation.arguments.at(0));
    ScriptFetch fetch;
    // The lamps, as the stages they light.
    QObject::connect(&fetch, &ScriptFetch::stateChanged, [&console](int state) {
        for (const LampChange& change : lampChanges(state)) {
            if (change.colour != LampChange::Colour::Grey)
                console.err(lampLabel(change.lamp));
        }
    });
    if (!fetch.fetch(url)) {
        console.err(printable(fetch.error()));
        return failed;
    }

    const UpdateCheck check = evaluateUpdateScript(
        fromCodePage(fetch.body()), QDir(invocation.directory).filePath(QStringLiteral("history.dat")));
    // The script is the server's text: shown escaped, as ls shows stored text, it cannot steer the terminal.
    for (const UpdateLine& line : check.lines)
        console.out(printable(line.text));
    for (const QString& item : check.listItems)
        console.out(printable(item));
    if (check.unlistedItems > 0)
        console.out(unlistedReleasesItem(check.unlistedItems));
    switch (check.outcome) {
    case UpdateCheck::Outcome::Listed:
    case UpdateCheck::Outcome::UpToDate:
        return done;
    case UpdateCheck::Outcome::WrongProgram:
        return failed;
    case UpdateCheck::Outcome::MessageBox:
    case UpdateCheck::Outcome::Unreadable:
        break;
    }
    console.err(printable(check.message));
    return failed;
}

} // namespace tessary::cli
