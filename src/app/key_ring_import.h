#pragma once

#include "app/session.h"
#include "storage/key_cipher.h"
#include "storage/strong_ring_format.h"
#include "storage/key_table.h"

#include <QString>

#include <functional>

namespace tessary {

// Import of "tessary.keyRing" (or another key ring file, of either format) into the logged-in key ring. The file is
// read into a table of its own, checked against its own master password and deciphered (or unsealed) there; only then are its keys added, never over existing ones,
// and the logged-in user's digest stays as it is.
class KeyRingImport
{
public:
    struct Count
    {
        int added = 0;
        int sameName = 0; // a key of that name was there already
        int noRoom = 0;   // the key ring was full
    };

    explicit KeyRingImport(const Session& session);
    // Another key ring file than "tessary.keyRing"; `shownName` is how the messages name it.
    KeyRingImport(const Session& session, const QString& path, const QString& shownName);
    ~KeyRingImport();
    KeyRingImport(const KeyRingImport&) = delete;
    KeyRingImport& operator=(const KeyRingImport&) = delete;

    // Empty when the file was read; else what to tell the user.
    const QString& failure() const { return m_failure; }
    // The file was written under another master password than the logged-in user's.
    bool needsPassword() const { return m_needsPassword; }
    // Checks the file's master password; false leaves everything as it was.
    bool unlock(const QString& password);

    // Adds the file's keys whose names are new, through `append` (which stores one record), until the key ring
    // is full.
    Count merge(const KeyTable& into, const std::function<bool(const KeyRecord&)>& append);

    // The file's keys in clear, once read and unlocked; else nullptr.
    const KeyTable* keys();

private:
    bool decipher();
    // A strong ring's seal opened with `key`: its keys in clear in the table.
    bool openSealed(const LockedBytes& key);

    QString m_failure;
    bool m_needsPassword = false;
    bool m_deciphered = false;
    QByteArray m_storedDigest;
    KeyTable m_table;
    MasterSecret m_secret;
    QByteArray m_sealed; // a strong ring, until its seal is opened
    StrongHeader m_strong;
    Session::SlowWork m_slowWork; // the session's, where the key of a strong ring is made
};

QString importSummaryMessage(const KeyRingImport::Count& count);
QString noImportFileMessage(const QString& path);

} // namespace tessary
