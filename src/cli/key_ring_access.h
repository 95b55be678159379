#pragma once

#include "app/session.h"
#include "cli/console.h"
#include "storage/key_fields.h"

#include <QString>

#include <optional>

namespace tessary::cli {

// A command's way into a user's key ring, in the order that reports a wrong file at once: the file's structure,
// then (for a write) its lock, then the master password, then the login through the session.
class KeyRingAccess
{
public:
    enum class Mode
    {
        Read,  // no lock; a damaged key ring is read with a warning
        Write, // holds the lock; refuses a damaged key ring, which a save would replace
    };

    // `acceptOlder`: a write goes on over a key ring older than the one last saved here (--accept-older).
    KeyRingAccess(const QString& directory, Console& console, bool acceptOlder = false);

    // Exit status: 0 when logged in, otherwise 1 with the message already shown.
    int open(const QString& userName, Mode mode);

    Session& session() { return m_session; }
    KeyTable& table() { return m_session.keyTable(); }

    // The slot of a key in use with exactly this name, or KeyTable::notFound with a message shown.
    int findKey(const QString& keyName);

    // open(), then findKey(): exit status as open(), with the key's slot in `slot` when it is 0.
    int openKey(const QString& userName, const QString& keyName, Mode mode, int& slot);

    // Session::save; exit status as open().
    int save();
    // Says on standard error, once, that the generation of the strong key ring could not be remembered.
    void warnOfGeneration();

private:
    Console& m_console;
    Session m_session;
    bool m_acceptOlder = false;
    bool m_warnedOfGeneration = false;
};

// The code-page bytes of a text bound for a key ring, or nothing (with a message shown) when the code page cannot
// hold every character of it, as a silent '?' would corrupt the key, or it is longer than `maximumLength`.
// `nameCharacter`: the message names the first character the code page lacks (never for a password).
std::optional<QByteArray> storableText(Console& console, const QString& what, const QString& text,
                                       qsizetype maximumLength = -1, bool nameCharacter = true);

QString noSuchKeyMessage(const QString& keyName);
// The flag that lets a write command go on over an older key ring.
inline const QString acceptOlderFlag = QStringLiteral("--accept-older");
QString damagedRefusalMessage(const QString& fileName);

} // namespace tessary::cli
