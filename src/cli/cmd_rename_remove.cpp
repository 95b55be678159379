#include "cli/commands.h"

#include "cli/key_ring_access.h"

namespace tessary::cli {

int renameCommand(const Invocation& invocation, Console& console)
{
    const auto newName = storableText(console, QStringLiteral("new key name"), invocation.arguments.at(2), keyNameLimit);
    if (!newName)
        return failed;
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    int slot = KeyTable::notFound;
    if (const int status = access.openKey(invocation.arguments.at(0), invocation.arguments.at(1),
                                          KeyRingAccess::Mode::Write, slot))
        return status;

    const QByteArray oldName = access.table().slot(slot).name;
    switch (access.table().renameKey(oldName, *newName)) {
    case KeyTable::RenameResult::Unchanged:
        return done;
    case KeyTable::RenameResult::Renamed:
        return access.save();
    case KeyTable::RenameResult::NotUnique:
        console.err(namesMustBeUniqueMessage());
        return failed;
    case KeyTable::RenameResult::EmptyName:
        console.err(emptyKeyNameMessage());
        return failed;
    case KeyTable::RenameResult::TooLong: // the length was refused before the password was asked for
        break;
    case KeyTable::RenameResult::NotFound:
        break;
    }
    console.err(noSuchKeyMessage(invocation.arguments.at(1)));
    return failed;
}

int rmCommand(const Invocation& invocation, Console& console)
{
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    int slot = KeyTable::notFound;
    if (const int status = access.openKey(invocation.arguments.at(0), invocation.arguments.at(1),
                                          KeyRingAccess::Mode::Write, slot))
        return status;
    access.table().removeKey(slot);
    return access.save();
}

} // namespace tessary::cli
