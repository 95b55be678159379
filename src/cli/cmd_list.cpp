#include "cli/commands.h"

#include "cli/key_output.h"
#include "cli/key_ring_access.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tessary::cli {

int lsCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console);
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Read))
        return status;
    const KeyTable& table = access.table();
    if (invocation.hasFlag(QStringLiteral("--json"))) {
        QJsonArray keys;
        for (int s = 1; s <= table.keyCount(); ++s)
            keys.append(keyJson(table.slot(s)));
        console.writeOut(QJsonDocument(keys).toJson(QJsonDocument::Indented));
        return done;
    }
    QString lines;
    for (int s = 1; s <= table.keyCount(); ++s)
        lines += keyListLine(table.slot(s)) + QLatin1Char('\n');
    console.writeOut(lines.toUtf8());
    return done;
}

int showCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console);
    int slot = KeyTable::notFound;
    if (const int status = access.openKey(invocation.arguments.at(0), invocation.arguments.at(1),
                                          KeyRingAccess::Mode::Read, slot))
        return status;
    const KeyRecord& record = access.table().slot(slot);
    if (invocation.hasFlag(QStringLiteral("--json"))) {
        console.writeOut(QJsonDocument(keyJson(record)).toJson(QJsonDocument::Indented));
        return done;
    }
    for (const QString& line : keyFieldLines(record))
        console.out(line);
    return done;
}

} // namespace tessary::cli
