#pragma once

#include "app/removed_key.h"
#include "storage/file_lock.h"
#include "storage/key_cipher.h"
#include "storage/key_ring_file.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace tessary {

class KeyTableWatcher;

// The login state and the logged-in user's key ring, shared by the desktop program and the command-line tool.
// Bare file names (the user list, key rings, the export file) resolve against the data directory.
class Session
{
public:
    enum class LockMode
    {
        Hold, // take the key ring's lock and keep it while logged in
        None, // read only: no lock, and no save
    };

    struct Outcome
    {
        enum class Status
        {
            LoggedIn,
            AlreadyLoggedIn,   // the same user again: nothing was read
            IncorrectPassword, // nothing changed
            Refused,           // `message` says why; nothing changed
            UnusableKeyRing,   // the key ring's file could not be read or is no key ring; `message` says why
        };
        Status status = Status::Refused;
        QString message;
        bool mustEnd = false; // the program ends after the message (a file that is no key ring)
        QString warning;      // the damage message of a key ring that was read anyway
        // A key ring older than the one last opened or saved here (olderKeyRingMessage): it is open read-only
        // until acceptOlderKeyRing().
        std::uint64_t openedGeneration = 0;
        std::uint64_t rememberedGeneration = 0;

        bool succeeded() const { return status == Status::LoggedIn || status == Status::AlreadyLoggedIn; }
        bool isOlder() const { return rememberedGeneration > openedGeneration; }
    };

    // Runs the work that takes a second (making a strong key ring's key) and returns when it is done: the desktop
    // program runs it on a thread of its own with a busy sign; by default it runs where it is called.
    using SlowWork = std::function<void(const std::function<void()>& work)>;

    // The first half of a login, before any password is asked for: the user's key ring locked (LockMode::Hold)
    // and read once.
    struct Opening
    {
        QString userName;
        QString fileName; // as the user knows it, "alice.keyRing"
        QString path;
        std::unique_ptr<FileLock> lock;
        KeyRingReadResult read;
    };

    explicit Session(QString dataDirectory);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QString path(const QString& bareName) const;
    const QString& dataDirectory() const { return m_directory; }

    bool isLoggedIn() const { return m_loggedIn; }
    const QString& currentUserName() const { return m_userName; }
    const MasterSecret& secret() const { return m_secret; }
    KeyRing& keyRing() { return m_ring; }
    const KeyRing& keyRing() const { return m_ring; }
    KeyTable& keyTable() { return m_ring.table; }
    const KeyTable& keyTable() const { return m_ring.table; }
    KeyRingFormat format() const { return m_ring.format; }
    void setSlowWork(SlowWork work) { m_slowWork = std::move(work); }
    const SlowWork& slowWork() const { return m_slowWork; }
    // How the keys of strong rings made from now on are derived (the salt is always new): Argon2id with 256 MiB and
    // 4 passes, unless a test asks for less.
    void setKeyDerivation(const KdfParameters& kdf) { m_newKdf = kdf; }

    // A key ring opened older than the one last saved here is read-only: every save is refused until the user
    // accepts it, and the next save then carries on from the generation remembered.
    bool isReadOnly() const { return m_olderThanRemembered; }
    // Why the generation of the strong key ring opened or saved last could not be remembered, once; empty when it
    // was (or the ring is classic).
    QString takeGenerationWarning() { return std::exchange(m_generationWarning, {}); }
    void acceptOlderKeyRing();

    // The login: creates the user's key ring when it is missing, reads it into a table of its own, checks the
    // password (its digest, computed once, becomes the master key) and only then saves the key ring of a user
    // logged in before and takes over.
    Outcome login(const QString& userName, const QString& password, LockMode mode = LockMode::Hold);

    // A login in two steps, for a caller that looks at the file before it asks for the password. open() refuses a
    // name with no key ring file name, a key ring locked by another program and a file that is missing or no key
    // ring (a damaged one is read, with its warning in read.message); it creates no file.
    Outcome open(const QString& userName, LockMode mode, Opening& opening);
    Outcome login(Opening&& opening, const QString& password);

    // A new user: the name appended to the user list, then an empty key ring for the password, then logged in.
    // An interruption between the two leaves a listed user whose first login makes the key ring; the same name
    // given again finishes what was begun.
    Outcome createUser(const QString& userName, const QString& password, KeyRingFormat format = KeyRingFormat::Classic);

    // Writes the key ring to the user's file (keeping a damaged original as "<file>.bak" first).
    bool save(QString* error = nullptr);

    // A key's new password (code-page bytes as typed), stored through the password buffer under a fresh salt, and
    // the key ring saved at once. A failed save leaves the key as it was, in the file and here, and says why.
    bool changeKeyPassword(int slotNumber, QByteArrayView password, QString* error = nullptr);

    struct PasswordChange
    {
        enum class Status
        {
            Changed,
            IncorrectPassword, // the current password was wrong; nothing changed
            Unacceptable,      // the new one is one New User would refuse; `message` says why
            Refused,           // the key ring could not be written; `message` says why, nothing changed
        };
        Status status = Status::Refused;
        QString message;
    };
    // A new master password: the current one checked, the new one held to New User's rules, then the key ring
    // written under it in one atomic replace. The session goes on with the new password; on any refusal or a
    // failed write the old one stays in force, in the file and here.
    PasswordChange changeMasterPassword(const QString& current, const QString& replacement);
    // Keys made elsewhere (an import's, fields and creation stamps set), added after the last key, each under a
    // fresh salt, and the key ring saved once. When they do not all fit, or the save fails, the key ring stays as
    // it was, in the file and here, and `error` says why.
    bool addKeys(const QList<KeyRecord>& records, QString* error = nullptr);
    // Writes the key ring, in its own format and under the user's secrets, to "tessary.keyRing".
    bool exportKeyRing(QString* error = nullptr);

    // The key ring written anew in the other format (session_strong.cpp): the current password checked, as Change
    // Master Password checks it, then one atomic replace; on any refusal or a failed write nothing changed. To the
    // classic format, a master password it cannot hold is refused.
    PasswordChange convertKeyRing(const QString& current, KeyRingFormat target);

    // Changes of one key that reach the file at once (session_changes.cpp). Each saves the key ring; when the save
    // fails the table is put back as the file is, and `error` says why (unsavedChangeMessage). A refusal (a name
    // taken, a full table) changes nothing and says why too.
    bool renameKey(int slotNumber, QByteArrayView newName, QString* error = nullptr);
    bool changeKey(int slotNumber, const KeyChange& change, QString* error = nullptr);
    // Deletes a key and holds it, whole, for undoRemove until the session ends or forgetRemovedKey; only the last
    // one deleted is held.
    bool removeKey(int slotNumber, QString* error = nullptr);
    // Puts the held key back in its slot (or after the last key), byte for byte as it was; the slot it took, or
    // 0 when nothing was held, its name is taken again, the table is full or the save failed (the key stays held).
    int undoRemove(QString* error = nullptr);
    bool canUndoRemove() const { return m_removed.isHeld(); }
    QByteArray removedKeyName() const { return m_removed.record().name; }
    // Wipes the held key: another user logs in, or the session is locked.
    void forgetRemovedKey() { m_removed.forget(); }
    // The lock and the log-out (session_lock.cpp): the key ring saved first when it holds what its file does not,
    // then every secret of the login wiped and let go (forgetSecrets) and the key ring's lock released, so that
    // the command-line tool may write while nobody is logged in. The session ends even when that save fails: a
    // lock waits for no disk. False then, and `error` says what was lost.
    bool logOut(QString* error = nullptr);
    // Whether the key table holds what its file does not: the save that should have followed a change did not
    // (every change of the session's own is saved at once).
    bool hasUnsavedChanges() const;
    // Who hears of the rows these changes add or take away; null for none.
    void setKeyTableWatcher(KeyTableWatcher* watcher) { m_watcher = watcher; }

private:
    // The one place the login's secrets are forgotten: the master password and key, the key table with the
    // stored digest, and the held deleted key, each wiped and let go.
    void forgetSecrets();
    bool saveUnder(const MasterSecret& secret, QString* error);
    // Whether `typed` (code-page bytes) is the master password in force.
    bool isMasterPassword(QByteArrayView typed) const;
    // Whether someone is logged in and `current` is their master password; otherwise fills `result` with why not.
    bool confirmsMasterPassword(const QString& current, PasswordChange& result) const;
    KdfParameters freshKdf() const { return m_newKdf.withFreshSalt(); }
    // The key of a strong ring, made by the slow work.
    std::shared_ptr<const LockedBytes> sealingKey(QByteArrayView password, const KdfParameters& kdf);
    // Opens a strong ring's seal with `password`; the outcome of a wrong one, or LoggedIn with the ring and its
    // secret filled in.
    Outcome openStrongRing(const QString& userName, KeyRingReadResult& read, const QByteArray& password, KeyRing& ring,
                           MasterSecret& secret);
    // The generation check of a strong ring just opened; fills the outcome's generations.
    void checkGeneration(const QString& userName, const KeyRing& ring, Outcome& outcome);
    // Why the user's key ring may not be written, when it is a link to a file that is another user's (or the
    // program's own); empty when it may.
    QString sharedRingRefusal(const QString& ringPath) const;
    Outcome lockAndRead(const QString& userName, LockMode mode, bool createMissing, const QByteArray& password,
                        Opening& opening);
    Outcome checkAndTakeOver(Opening&& opening, QByteArray& password);
    // Makes the deciphered key ring the logged-in one, after saving the one logged in before.
    Outcome takeOver(const QString& userName, MasterSecret&& secret, KeyRing&& ring, std::unique_ptr<FileLock> lock);
    // Wipes the master password, its digest and a strong ring's key.
    void resetSecret();
    // rememberGeneration, with a failure kept for takeGenerationWarning.
    void keepGeneration(const QString& userName, const QString& ringPath, std::uint64_t generation);

    QString m_directory;
    bool m_loggedIn = false;
    QString m_userName;
    MasterSecret m_secret;
    KeyRing m_ring;
    std::unique_ptr<FileLock> m_lock;
    RemovedKey m_removed;
    KeyTableWatcher* m_watcher = nullptr;
    SlowWork m_slowWork = [](const std::function<void()>& work) { work(); };
    KdfParameters m_newKdf;
    bool m_olderThanRemembered = false;
    std::uint64_t m_rememberedGeneration = 0;
    QString m_generationWarning;
};

QString incorrectPasswordMessage();
// "This key ring is older than the one last saved here (generation 12 < 15)."
QString olderKeyRingMessage(std::uint64_t opened, std::uint64_t remembered);
QString readOnlyKeyRingMessage();
QString userExistsMessage(const QString& fileName);
QString noFileNameMessage(const QString& userName);
QString passwordMismatchMessage();
// Why a name cannot be a new user's, or empty when it can.
QString userNameRefusal(const QString& userName);
QString masterPasswordRefusal(const QString& password);
// A save's failure, and that the change it was to keep is undone.
QString unsavedChangeMessage(const QString& reason);
// A lock's save that failed: the changes it was to keep are gone.
QString lockUnsavedMessage(const QString& reason);

// The outcomes a Session returns.
Session::Outcome refusedOutcome(const QString& message, bool mustEnd = false);
Session::Outcome incorrectPasswordOutcome(const QString& warning = {});
Session::Outcome unusableKeyRingOutcome(const KeyRingReadResult& read);

} // namespace tessary
