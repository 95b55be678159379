#include "cli/commands.h"

#include "cli/key_output.h"
#include "cli/key_ring_access.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tessary::cli {

namespace {

PasswordOutput passwordOutput(const Invocation& invocation)
{
    return invocation.hasFlag(QStringLiteral("--show-password")) ? PasswordOutput::Shown : PasswordOutput::Hidden;
}

} // namespace

int lsCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Read))
        return status;
    const KeyTable& table = access.table();
    if (invocation.hasFlag(QStringLiteral("--json"))) {
        QJsonArray keys;
        for (int s = 1; s <= table.keyCount(); ++s)
            keys.append(keyJson(table.slot(s), passwordOutput(invocation)));
        console.writeOut(QJsonDocument(keys).toJson(QJsonDocument::Indented));
        return done;
    }
    // A line at a time: a key ring of long fields would otherwise be held twice more as text.
    for (int s = 1; s <= table.keyCount(); ++s)
        console.out(keyListLine(table.slot(s)));
    return done;
}

int showCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    int slot = KeyTable::notFound;
    if (const int status = access.openKey(invocation.arguments.at(0), invocation.arguments.at(1),
                                          KeyRingAccess::Mode::Read, slot))
        return status;
    const KeyRecord& record = access.table().slot(slot);
    if (invocation.hasFlag(QStringLiteral("--json"))) {
        console.writeOut(QJsonDocument(keyJson(record, passwordOutput(invocation))).toJson(QJsonDocument::Indented));
        return done;
    }
    for (const QString& line : keyFieldLines(record, passwordOutput(invocation)))
        console.out(line);
    return done;
}

} // namespace tessary::cli
