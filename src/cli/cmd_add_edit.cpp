#include "cli/commands.h"

#include "cli/key_ring_access.h"
#include "crypto/wipe.h"
#include "storage/key_fields.h"
#include "storage/key_ring_file.h"
#include "storage/notes_text.h"

#include <optional>

namespace tessary::cli {

namespace {

struct FieldOptions
{
    std::optional<QByteArray> userName;
    std::optional<QByteArray> url;
    std::optional<QByteArray> notes;
};

// The --username, --url and --notes given, as code-page bytes; false (message shown) when one cannot be stored.
bool readFieldOptions(const Invocation& invocation, Console& console, FieldOptions& fields)
{
    const struct
    {
        const char* option;
        const char* what;
        qsizetype limit;
        std::optional<QByteArray>* field;
    } table[] = {
        {"--username", "user name", keyRingFieldLimit, &fields.userName},
        {"--url", "URL", keyRingFieldLimit - 7, &fields.url},
        {"--notes", "description", maximumNotesLength, &fields.notes},
    };
    for (const auto& entry : table) {
        const QString option = QString::fromLatin1(entry.option);
        if (!invocation.options.contains(option))
            continue;
        QString text = invocation.options.value(option);
        // Notes keep their line breaks as CR LF, as the windows store them.
        if (entry.field == &fields.notes)
            text = storedNotes(text);
        *entry.field = storableText(console, QString::fromLatin1(entry.what), text, entry.limit);
        if (!*entry.field)
            return false;
    }
    return true;
}

// A key's password from the next input line, as code-page bytes; nothing (with a message shown) when it is empty,
// too long for the password buffer or holds a character the code page lacks.
std::optional<QByteArray> readKeyPassword(Console& console, const QString& prompt)
{
    QString password = console.readSecret(prompt);
    auto bytes = storableText(console, QStringLiteral("password"), password, passwordBufferSize, false);
    wipe(password);
    if (bytes && bytes->isEmpty()) {
        console.err(QStringLiteral("A key needs a password. Nothing was written."));
        return std::nullopt;
    }
    return bytes;
}

} // namespace

int addCommand(const Invocation& invocation, Console& console)
{
    const QString& keyName = invocation.arguments.at(1);
    FieldOptions fields;
    const auto name = storableText(console, QStringLiteral("key name"), keyName, keyNameLimit);
    if (!name || !readFieldOptions(invocation, console, fields))
        return failed;
    if (name->isEmpty()) {
        console.err(emptyKeyNameMessage());
        return failed;
    }

    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Write))
        return status;
    KeyTable& table = access.table();
    if (!table.isKeyNameUnique(*name)) {
        console.err(namesMustBeUniqueMessage());
        return failed;
    }
    if (table.isFull()) {
        console.err(maximumKeysMessage());
        return failed;
    }

    auto passwordBytes = readKeyPassword(console, QStringLiteral("Password for the new key: "));
    if (!passwordBytes)
        return failed;

    KeyRecord record;
    record.name = *name;
    record.password = passwordBuffer(*passwordBytes);
    wipe(*passwordBytes);
    record.description = fields.notes.value_or(QByteArray());
    record.url = completeUrl(fields.url.value_or(QByteArray()));
    record.userName = fields.userName.value_or(QByteArray());
    const KeyTable::AddResult added = table.addKey(record);
    wipe(record.password);
    if (added == KeyTable::AddResult::TableFull) {
        console.err(maximumKeysMessage());
        return failed;
    }
    return access.save();
}

int editCommand(const Invocation& invocation, Console& console)
{
    const bool newPassword = invocation.hasFlag(QStringLiteral("--password"));
    if (invocation.options.isEmpty() && !newPassword)
        return usageFailure(console,
                            QStringLiteral("edit needs at least one of --username, --url, --notes and --password."));
    FieldOptions fields;
    if (!readFieldOptions(invocation, console, fields))
        return failed;

    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    int slot = KeyTable::notFound;
    if (const int status = access.openKey(invocation.arguments.at(0), invocation.arguments.at(1),
                                          KeyRingAccess::Mode::Write, slot))
        return status;
    KeyChange change;
    change.url = fields.url;
    change.userName = fields.userName;
    change.description = fields.notes;
    if (newPassword) {
        auto password = readKeyPassword(console, QStringLiteral("New password for the key: "));
        if (!password)
            return failed;
        change.password = passwordBuffer(*password);
        wipe(*password);
    }
    // Only the given fields change; a key whose fields changed is enciphered under a fresh salt.
    const bool changed = access.table().changeKey(slot, change);
    if (change.password)
        wipe(*change.password);
    return changed ? access.save() : done;
}

} // namespace tessary::cli
