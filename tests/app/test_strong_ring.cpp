// The strong key ring: what it seals comes back whole, nothing in the file can change unnoticed, each save is sealed
// afresh, an older copy put back is noticed, and a ring converts both ways without a byte of a key changing.
#include "app/generation_memory.h"
#include "app/session.h"
#include "storage/codepage.h"
#include "test_files.h"

#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tessary;

namespace {

// Argon2id at its lightest: the tests are about the format, not about the cost of a guess.
KdfParameters lightKdf()
{
    KdfParameters kdf;
    kdf.passes = 1;
    kdf.memory = KdfParameters::leastMemory;
    return kdf;
}

// Every byte value in the texts, empty texts, and the stamps and salts a conversion must keep.
KeyRecord everyByte(int n)
{
    KeyRecord record;
    record.name = "key " + QByteArray::number(n);
    for (int b = 0; b < 256; ++b)
        record.userName.append(char(b));
    record.url = n % 2 ? QByteArray() : QByteArray("https://example.org/\xe9");
    record.description = "line\r\nline";
    record.password = QByteArray("pass\0word", 9) + QByteArray(119, ' ');
    return record;
}

} // namespace

class TestStrongRing : public QObject
{
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    QTemporaryDir m_settings;

    QString ring(const QString& user) const { return m_dir->filePath(user + QStringLiteral(".keyRing")); }

    // A logged-in session of `user` with a strong ring holding `keys` keys.
    bool makeUser(Session& session, const QString& user, int keys)
    {
        session.setKeyDerivation(lightKdf());
        if (!session.createUser(user, QStringLiteral("pw"), KeyRingFormat::Strong).succeeded())
            return false;
        QList<KeyRecord> records;
        for (int n = 1; n <= keys; ++n)
            records.append(everyByte(n));
        return keys == 0 || session.addKeys(records);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }
    void init() { m_dir = new QTemporaryDir; }
    void cleanup() { delete m_dir; }

    void whatIsSealedComesBack()
    {
        Session writer(m_dir->path());
        QVERIFY(makeUser(writer, QStringLiteral("ann"), 3));
        Session reader(m_dir->path());
        QVERIFY(reader.login(QStringLiteral("ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QCOMPARE(reader.format(), KeyRingFormat::Strong);
        QCOMPARE(reader.keyTable().keyCount(), 3);
        for (int s = 1; s <= 3; ++s)
            QCOMPARE(reader.keyTable().slot(s), writer.keyTable().slot(s));
        // Three keys and an empty ring take the same room: the count does not show.
        QCOMPARE(fileBytes(ring(QStringLiteral("ann"))).size() % 1024, qsizetype(strongRingHeaderSize + 16) % 1024);
    }

    // With the right key in hand, a change of any one byte is refused: the header is bound to the seal.
    void everyChangedByteIsRefused()
    {
        Session session(m_dir->path());
        QVERIFY(makeUser(session, QStringLiteral("ann"), 1));
        const QByteArray file = fileBytes(ring(QStringLiteral("ann")));
        const LockedBytes& key = *session.secret().sealingKey;
        for (qsizetype at = 0; at < file.size(); ++at) {
            QByteArray changed = file;
            changed[at] = char(changed[at] ^ 0x20);
            StrongHeader header;
            StrongContent content;
            const QString wrong = readStrongHeader(changed, header);
            QVERIFY2(!wrong.isEmpty() || openStrongRing(changed, header, key, content) == StrongOpen::WrongKey,
                     qPrintable(QStringLiteral("byte %1 changed unnoticed").arg(at)));
        }
    }

    // What a login says of a changed ring: a damaged header by name, a changed seal as a wrong password; nothing is
    // written either way.
    void aChangedRingIsNeverHalfRead_data()
    {
        QTest::addColumn<int>("offset"); // from the start; negative from the end
        QTest::addColumn<QString>("message");
        QTest::newRow("version") << 12 << "is of version";
        QTest::newRow("passes") << 18 << "key derivation asks for";
        QTest::newRow("salt") << 30 << "Incorrect Password!";
        QTest::newRow("nonce") << 50 << "Incorrect Password!";
        QTest::newRow("sealed keys") << 200 << "Incorrect Password!";
        QTest::newRow("tag") << -1 << "Incorrect Password!";
    }

    void aChangedRingIsNeverHalfRead()
    {
        QFETCH(int, offset);
        QFETCH(QString, message);
        {
            Session session(m_dir->path());
            QVERIFY(makeUser(session, QStringLiteral("ann"), 2));
        }
        QByteArray file = fileBytes(ring(QStringLiteral("ann")));
        const qsizetype at = offset < 0 ? file.size() + offset : offset;
        file[at] = char(file[at] ^ 0x40);
        QVERIFY(writeFile(ring(QStringLiteral("ann")), file));
        Session session(m_dir->path());
        const Session::Outcome outcome = session.login(QStringLiteral("ann"), QStringLiteral("pw"));
        QVERIFY(!outcome.succeeded());
        QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
        QCOMPARE(session.keyTable().keyCount(), 0);
        QCOMPARE(fileBytes(ring(QStringLiteral("ann"))), file);
    }

    // Every save draws a new nonce; two users of one password share no header byte of their salts.
    void noTwoSealsAlike()
    {
        Session ann(m_dir->path());
        QVERIFY(makeUser(ann, QStringLiteral("ann"), 1));
        const QByteArray first = fileBytes(ring(QStringLiteral("ann")));
        QVERIFY(ann.save());
        const QByteArray second = fileBytes(ring(QStringLiteral("ann")));
        QCOMPARE(first.first(43), second.first(43)); // magic, version and the key derivation with its salt
        QVERIFY(first.sliced(43, 24) != second.sliced(43, 24));
        Session bob(m_dir->path());
        QVERIFY(makeUser(bob, QStringLiteral("bob"), 1));
        QVERIFY(fileBytes(ring(QStringLiteral("bob"))).sliced(27, 16) != first.sliced(27, 16));
    }

    // An older copy put back opens read-only, with both generations named, until the user accepts it; a classic
    // copy where a strong ring was saved counts as generation 0; another user's ring in its place is refused.
    void anOlderCopyIsNoticed_data()
    {
        QTest::addColumn<QString>("copy");
        QTest::newRow("an older strong copy") << QStringLiteral("older");
        QTest::newRow("the classic ring before the upgrade") << QStringLiteral("classic");
        QTest::newRow("another user's ring") << QStringLiteral("other");
    }

    void anOlderCopyIsNoticed()
    {
        QFETCH(QString, copy);
        const QString path = ring(QStringLiteral("ann"));
        QByteArray old;
        {
            Session session(m_dir->path());
            session.setKeyDerivation(lightKdf());
            const KeyRingFormat first =
                copy == QLatin1String("classic") ? KeyRingFormat::Classic : KeyRingFormat::Strong;
            QVERIFY(session.createUser(QStringLiteral("ann"), QStringLiteral("pw"), first).succeeded());
            QVERIFY(session.addKeys({everyByte(1)}));
            old = fileBytes(path);
            if (first == KeyRingFormat::Classic)
                QCOMPARE(session.convertKeyRing(QStringLiteral("pw"), KeyRingFormat::Strong).status,
                         Session::PasswordChange::Status::Changed);
            QVERIFY(session.addKeys({everyByte(2)}));
        }
        if (copy == QLatin1String("other")) {
            Session bob(m_dir->path());
            QVERIFY(makeUser(bob, QStringLiteral("bob"), 0));
            old = fileBytes(ring(QStringLiteral("bob")));
        }
        QVERIFY(writeFile(path, old));

        Session session(m_dir->path());
        const Session::Outcome outcome = session.login(QStringLiteral("ann"), QStringLiteral("pw"));
        if (copy == QLatin1String("other")) {
            QCOMPARE(outcome.status, Session::Outcome::Status::Refused);
            QVERIFY2(outcome.message.contains(QStringLiteral("is the user bob's, not ann's")),
                     qPrintable(outcome.message));
            return;
        }
        QVERIFY(outcome.succeeded());
        QVERIFY(outcome.isOlder());
        QCOMPARE(olderKeyRingMessage(outcome.openedGeneration, outcome.rememberedGeneration),
                 QStringLiteral("This key ring is older than the one last saved here (generation %1 < %2).")
                     .arg(copy == QLatin1String("classic") ? 0 : 2)
                     .arg(copy == QLatin1String("classic") ? 2 : 3));
        QVERIFY(session.isReadOnly());
        QString error;
        QVERIFY(!session.save(&error));
        QCOMPARE(error, readOnlyKeyRingMessage());
        QCOMPARE(fileBytes(path), old);

        session.acceptOlderKeyRing();
        QVERIFY(session.save());
        Session again(m_dir->path());
        const Session::Outcome later =
            again.login(QStringLiteral("ann"), QStringLiteral("pw"), Session::LockMode::None);
        QVERIFY(later.succeeded() && !later.isOlder());
    }

    // A settings store that cannot be written is told at each step that should have kept the generation (made,
    // saved, opened), never passed over in silence; a classic ring has none to keep.
    void aGenerationNotKeptIsTold_data()
    {
        QTest::addColumn<bool>("strong");
        QTest::newRow("strong") << true;
        QTest::newRow("classic") << false;
    }

    void aGenerationNotKeptIsTold()
    {
        QFETCH(bool, strong);
        // Below a plain file no folder can be made, not even by root.
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("file")), "x"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir->filePath(QStringLiteral("file/store")));
        const auto restore = qScopeGuard(
            [this] { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); });
        Session session(m_dir->path());
        session.setKeyDerivation(lightKdf());
        QVERIFY(session
                    .createUser(QStringLiteral("ann"), QStringLiteral("pw"),
                                strong ? KeyRingFormat::Strong : KeyRingFormat::Classic)
                    .succeeded());
        const QString told = strong ? generationNotKeptMessage(ring(QStringLiteral("ann"))) : QString();
        QCOMPARE(session.takeGenerationWarning(), told);
        QVERIFY(session.addKeys({everyByte(1)}));
        QCOMPARE(session.takeGenerationWarning(), told);
        Session again(m_dir->path());
        QVERIFY(again.login(QStringLiteral("ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
        QCOMPARE(again.takeGenerationWarning(), told);
    }

    // Both ways every byte of every key stays, salts and stamps too; the ring opens in the new format only.
    void conversionKeepsEveryKey()
    {
        Session session(m_dir->path());
        session.setKeyDerivation(lightKdf());
        QVERIFY(session.createUser(QStringLiteral("ann"), QStringLiteral("pw")).succeeded());
        QVERIFY(session.addKeys({everyByte(1), everyByte(2)}));
        const KeyTable before = session.keyTable();
        QCOMPARE(session.convertKeyRing(QStringLiteral("wrong"), KeyRingFormat::Strong).status,
                 Session::PasswordChange::Status::IncorrectPassword);
        for (const KeyRingFormat format : {KeyRingFormat::Strong, KeyRingFormat::Classic}) {
            QCOMPARE(session.convertKeyRing(QStringLiteral("pw"), format).status,
                     Session::PasswordChange::Status::Changed);
            QCOMPARE(isStrongRing(fileBytes(ring(QStringLiteral("ann")))), format == KeyRingFormat::Strong);
            Session reader(m_dir->path());
            QVERIFY(reader.login(QStringLiteral("ann"), QStringLiteral("pw"), Session::LockMode::None).succeeded());
            QCOMPARE(reader.keyTable().keyCount(), 2);
            for (int s = 1; s <= 2; ++s)
                QCOMPARE(reader.keyTable().slot(s), before.slot(s));
        }
    }

    // A new master password seals the ring under a new salt and key; the old password no longer opens it.
    void aNewMasterPasswordSealsAnew()
    {
        Session session(m_dir->path());
        QVERIFY(makeUser(session, QStringLiteral("ann"), 1));
        const QByteArray salt = fileBytes(ring(QStringLiteral("ann"))).sliced(27, 16);
        QCOMPARE(session.changeMasterPassword(QStringLiteral("pw"), QStringLiteral("n3w")).status,
                 Session::PasswordChange::Status::Changed);
        QVERIFY(fileBytes(ring(QStringLiteral("ann"))).sliced(27, 16) != salt);
        Session reader(m_dir->path());
        QCOMPARE(reader.login(QStringLiteral("ann"), QStringLiteral("pw"), Session::LockMode::None).status,
                 Session::Outcome::Status::IncorrectPassword);
        QVERIFY(reader.login(QStringLiteral("ann"), QStringLiteral("n3w"), Session::LockMode::None).succeeded());
        QCOMPARE(reader.keyTable().slot(1), session.keyTable().slot(1));
    }
};

QTEST_GUILESS_MAIN(TestStrongRing)
#include "test_strong_ring.moc"
