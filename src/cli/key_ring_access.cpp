#include "cli/key_ring_access.h"

#include "cli/commands.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

namespace tessary::cli {

KeyRingAccess::KeyRingAccess(const QString& directory, Console& console, bool acceptOlder)
    : m_console(console), m_session(directory), m_acceptOlder(acceptOlder)
{
}

int KeyRingAccess::open(const QString& userName, Mode mode)
{
    // The file is locked (for a write) and read once, and a wrong file reported, before the password is asked for;
    // nothing here creates a missing key ring.
    Session::Opening opening;
    const Session::Outcome opened =
        m_session.open(userName, mode == Mode::Write ? Session::LockMode::Hold : Session::LockMode::None, opening);
    if (!opened.succeeded()) {
        m_console.err(opened.message);
        return failed;
    }
    if (opening.read.status == KeyRingReadResult::Status::Damaged) {
        m_console.err(opening.read.message);
        if (mode == Mode::Write) {
            m_console.err(damagedRefusalMessage(opening.fileName));
            return failed;
        }
    }

    QString password = m_console.readSecret(QStringLiteral("Master password: "));
    const Session::Outcome outcome = m_session.login(std::move(opening), password);
    wipe(password);
    if (!outcome.succeeded()) {
        m_console.err(outcome.message);
        return failed;
    }
    if (outcome.isOlder()) {
        m_console.err(olderKeyRingMessage(outcome.openedGeneration, outcome.rememberedGeneration));
        if (mode == Mode::Write && !m_acceptOlder) {
            m_console.err(QStringLiteral("Nothing was written; %1 writes over it all the same.").arg(acceptOlderFlag));
            return failed;
        }
        m_session.acceptOlderKeyRing();
    }
    warnOfGeneration();
    return done;
}

void KeyRingAccess::warnOfGeneration()
{
    if (const QString warning = m_session.takeGenerationWarning(); !warning.isEmpty() && !m_warnedOfGeneration) {
        m_console.err(warning);
        m_warnedOfGeneration = true;
    }
}

int KeyRingAccess::findKey(const QString& keyName)
{
    // A character the code page lacks would turn into '?' and could name another key.
    const bool exact = !keyName.isEmpty() && fitsCodePage(keyName);
    const int slot = exact ? table().findKey(toCodePage(keyName)) : KeyTable::notFound;
    // Only slots 1 to keyCount hold keys; a later slot with that name would be a leftover.
    if (slot == KeyTable::notFound || slot > table().keyCount()) {
        m_console.err(noSuchKeyMessage(keyName));
        return KeyTable::notFound;
    }
    return slot;
}

int KeyRingAccess::openKey(const QString& userName, const QString& keyName, Mode mode, int& slot)
{
    if (const int status = open(userName, mode))
        return status;
    slot = findKey(keyName);
    return slot == KeyTable::notFound ? failed : done;
}

int KeyRingAccess::save()
{
    QString error;
    if (!m_session.save(&error)) {
        m_console.err(error);
        return failed;
    }
    warnOfGeneration();
    return done;
}

std::optional<QByteArray> storableText(Console& console, const QString& what, const QString& text,
                                       qsizetype maximumLength, bool nameCharacter)
{
    if (!fitsCodePage(text)) {
        console.err(unstorableTextMessage(what, nameCharacter ? text : QString()));
        return std::nullopt;
    }
    QByteArray bytes = toCodePage(text);
    if (maximumLength >= 0 && bytes.size() > maximumLength) {
        wipe(bytes); // it may be a password
        console.err(tooLongTextMessage(what, maximumLength));
        return std::nullopt;
    }
    return bytes;
}

QString noSuchKeyMessage(const QString& keyName)
{
    return QStringLiteral("There is no key named \"%1\".").arg(keyName);
}

QString damagedRefusalMessage(const QString& fileName)
{
    return QStringLiteral("%1 is damaged; tessary-cli changes no damaged key ring. Nothing was written.").arg(fileName);
}

} // namespace tessary::cli
