#include "small_disk.h"
#include "storage/key_cipher.h"
#include "storage/key_ring_file.h"
#include "test_files.h"

#include <QtTest>

#include <nettle/md2.h>

#include <csignal>
#include <cstring>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessary;
using Status = KeyRingReadResult::Status;

Q_DECLARE_METATYPE(tessary::KeyRecord)
Q_DECLARE_METATYPE(tessary::KeyRingReadResult::Status)

namespace tessary {

// Readable values in failure messages.
char* toString(KeyRingReadResult::Status status)
{
    switch (status) {
    case KeyRingReadResult::Status::Ok:
        return qstrdup("Ok");
    case KeyRingReadResult::Status::Damaged:
        return qstrdup("Damaged");
    case KeyRingReadResult::Status::NotKeyRing:
        return qstrdup("NotKeyRing");
    case KeyRingReadResult::Status::TooManyEntries:
        return qstrdup("TooManyEntries");
    case KeyRingReadResult::Status::Unreadable:
        return qstrdup("Unreadable");
    }
    return qstrdup("?");
}

char* toString(const KeyRecord& record)
{
    return qstrdup(QByteArray("key named 0x" + record.name.toHex()).constData());
}

} // namespace tessary

namespace {

const QByteArray magic = QByteArrayLiteral("TESSARYv0.1A");
const QByteArray reserved(16, '*');
const QByteArray trailer = QByteArrayLiteral("Abracadabra --- The lights went out.");

QString damageMessage()
{
    return QStringLiteral("Hmmm... Something went wrong in the reading of the file. Attempting to continue anyway...");
}

QString notKeyRing(const QString& fileName)
{
    return QStringLiteral("Not a Tessary v0.1a file! (") + fileName + QStringLiteral(") Please Report!");
}

QByteArray md2(QByteArrayView input)
{
    md2_ctx context;
    md2_init(&context);
    md2_update(&context, static_cast<size_t>(input.size()), reinterpret_cast<const uint8_t*>(input.data()));
    QByteArray digest(MD2_DIGEST_SIZE, '\0');
    md2_digest(&context, MD2_DIGEST_SIZE, reinterpret_cast<uint8_t*>(digest.data()));
    return digest;
}

// The master password's digest: MD2 of the password, then 1025 more rounds of MD2 over the digest.
QByteArray passwordDigest(QByteArrayView password)
{
    QByteArray digest = md2(password);
    for (int i = 0; i < 1025; ++i)
        digest = md2(digest);
    return digest;
}

QByteArray le16(int value)
{
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(value & 0xFF);
    bytes[1] = static_cast<char>((value >> 8) & 0xFF);
    return bytes;
}

QByteArray le64(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return bytes;
}

// One record as it lies in the file, its fields taken as they are.
QByteArray recordBytes(const KeyRecord& r)
{
    return le16(int(r.name.size())) + r.name + le16(int(r.userName.size())) + r.userName + le16(int(r.url.size())) +
           r.url + le16(int(r.description.size())) + r.description + le64(r.dateCreated) + le64(r.timeCreated) +
           le16(int(r.password.size())) + r.password + r.salt;
}

QByteArray saltFor(int seed)
{
    QByteArray salt(16, '\0');
    for (int k = 0; k < 16; ++k)
        salt[k] = static_cast<char>((seed * 17 + k * 31) & 0xFF);
    return salt;
}

QByteArray allBytes(int rotation)
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<char>((i + rotation) & 0xFF);
    return bytes;
}

KeyRecord sampleRecord(int i)
{
    KeyRecord r;
    r.name = "Key " + QByteArray::number(i);
    r.userName = i % 2 ? QByteArray("user") : QByteArray();
    r.url = "https://example.org/" + QByteArray::number(i);
    r.description = QByteArray(i * 7, 'd');
    r.dateCreated = 46362.0 + i;
    r.timeCreated = (i % 24) / 24.0;
    r.password = QByteArrayLiteral("p\x00w\xFF") + QByteArray::number(i);
    r.salt = saltFor(i);
    return r;
}

KeyTable tableOf(const QList<KeyRecord>& records)
{
    KeyTable table;
    for (const KeyRecord& r : records)
        table.appendRecord(r);
    return table;
}

const QByteArray digest = passwordDigest("Orchard");
const MasterSecret secret{QByteArrayLiteral("Orchard"), passwordDigest("Orchard")};

int fileMode(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

QStringList filesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Clears the umask, so a mode we see was set on purpose and not left to the umask.
class UmaskGuard
{
public:
    UmaskGuard() : m_old(::umask(0)) {}
    ~UmaskGuard() { ::umask(m_old); }
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t m_old;
};

} // namespace

class TestKeyRingFile : public QObject
{
    Q_OBJECT

private slots:
    void keyRingFileName_data();
    void keyRingFileName();
    void createKeyRingWritesAnEmptyRing_data();
    void createKeyRingWritesAnEmptyRing();
    void createKeyRingRefuses_data();
    void createKeyRingRefuses();
    void recordLayout_data();
    void recordLayout();
    void newFilesAreOwnerOnly();
    void roundTrip_data();
    void roundTrip();
    void damagedContents_data();
    void damagedContents();
    void everyTruncation_data();
    void everyTruncation();
    void missingOrEmptyFile_data();
    void missingOrEmptyFile();
    void unreadableFile();
    void failedWriteLeavesTheOldFile();
    void overlongFieldIsRefused_data();
    void overlongFieldIsRefused();
    void saveReplacesALongerFile();
    void saveOfDamagedRingKeepsTheOriginal();
    void normalSaveMakesNoBackup();
};

void TestKeyRingFile::keyRingFileName_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("space dropped") << QStringLiteral("Bob Smith") << QStringLiteral("BobSmith.keyRing");
    QTest::newRow("punctuation dropped") << QStringLiteral("a.b,c") << QStringLiteral("abc.keyRing");
    QTest::newRow("-_~ kept") << QStringLiteral("~x_1-Y") << QStringLiteral("~x_1-Y.keyRing");
    QTest::newRow("digits") << QStringLiteral("007") << QStringLiteral("007.keyRing");
    QTest::newRow("only exclamation marks") << QStringLiteral("!!!") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("path separators") << QStringLiteral("../a/b\\c") << QStringLiteral("abc.keyRing");
    QTest::newRow("dots only") << QStringLiteral("..") << QString();
    QTest::newRow("accented letter") << QStringLiteral("Zo\u00EB") << QStringLiteral("Zo.keyRing");
    QTest::newRow("only letters beyond a to z") << QStringLiteral("\u00C6\u00D8\u00C5") << QString();
    // Letters whose lower case is an ASCII letter are still not ASCII letters.
    QTest::newRow("Kelvin sign") << QStringLiteral("\u212Aate") << QStringLiteral("ate.keyRing");
    QTest::newRow("dotted capital I") << QStringLiteral("\u0130van") << QStringLiteral("van.keyRing");
}

void TestKeyRingFile::keyRingFileName()
{
    QFETCH(QString, userName);
    QFETCH(QString, fileName);

    QCOMPARE(tessary::keyRingFileName(userName), fileName);
}

void TestKeyRingFile::createKeyRingWritesAnEmptyRing_data()
{
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("one character") << QByteArray("a");
    QTest::newRow("phrase") << QByteArray("Correct horse battery staple");
    QTest::newRow("bytes beyond ASCII") << QByteArray("\xE9t\xE9\x80");
    QTest::newRow("216 characters") << QByteArray(216, 'x');
}

void TestKeyRingFile::createKeyRingWritesAnEmptyRing()
{
    QFETCH(QByteArray, password);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));

    QString error;
    {
        UmaskGuard umask;
        QVERIFY2(createKeyRing(path, password, &error), qPrintable(error));
    }

    const QByteArray expected = magic + passwordDigest(password) + QByteArray(2, '\0') + reserved + trailer;
    QCOMPARE(expected.size(), 82);
    QCOMPARE(fileBytes(path), expected);
    QCOMPARE(fileMode(path), 0600);
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("Bob.keyRing")});

    const KeyRingReadResult read = readKeyRing(path);
    QCOMPARE(read.status, Status::Ok);
    QCOMPARE(read.storedDigest, passwordDigest(password));
    QCOMPARE(read.table.keyCount(), 0);
}

void TestKeyRingFile::createKeyRingRefuses_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty password") << QByteArray() << false << emptyMasterPasswordMessage();
    QTest::newRow("217 characters") << QByteArray(217, 'x') << false << longMasterPasswordMessage();
    QTest::newRow("existing file") << QByteArray("good password") << true << QString();
}

void TestKeyRingFile::createKeyRingRefuses()
{
    QFETCH(QByteArray, password);
    QFETCH(bool, fileExists);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    const QByteArray before = QByteArrayLiteral("someone else's file");
    if (fileExists)
        QVERIFY(writeFile(path, before));

    QString error;
    QVERIFY(!createKeyRing(path, password, &error));
    QVERIFY(!error.isEmpty());
    if (!message.isEmpty())
        QCOMPARE(error, message);
    if (fileExists) {
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(filesIn(dir), QStringList{QStringLiteral("Bob.keyRing")});
    } else {
        QCOMPARE(filesIn(dir), QStringList());
    }
}

void TestKeyRingFile::recordLayout_data()
{
    QTest::addColumn<QList<KeyRecord>>("records");
    QTest::addColumn<QByteArray>("expected");

    KeyRecord mail;
    mail.name = "Mail";
    mail.userName = QByteArray(300, 'u'); // a length above 255 shows the byte order
    mail.description = "x";
    mail.dateCreated = 46362.0;           // 6 Dec 2026
    mail.timeCreated = 50700.0 / 86400.0; // 14:05
    mail.password = "secret";
    mail.salt = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");

    KeyRecord bank;
    bank.name = "Bank";
    bank.userName = "bob";
    bank.url = "https://bank.example";
    bank.dateCreated = 36526.0; // 1 Jan 2000
    bank.timeCreated = 0.5;
    bank.password = QByteArray(255, 'p');
    bank.salt = QByteArray::fromHex("fffefdfcfbfaf9f8f7f6f5f4f3f2f1f0");

    // Fields enciphered as the cipher's own tests check it; the salt and the dates are never enciphered.
    KeyRecord mailOnDisk = mail;
    cryptKeyRecord(mailOnDisk, secret);
    KeyRecord bankOnDisk = bank;
    cryptKeyRecord(bankOnDisk, secret);

    const QByteArray mailBytes = QByteArray::fromHex("0400") + mailOnDisk.name + QByteArray::fromHex("2c01") +
                                 mailOnDisk.userName + QByteArray::fromHex("0000") + QByteArray::fromHex("0100") +
                                 mailOnDisk.description + QByteArray::fromHex("0000000040a3e640") +
                                 QByteArray::fromHex("721cc7711cc7e23f") + QByteArray::fromHex("0600") +
                                 mailOnDisk.password + mail.salt;
    const QByteArray bankBytes = QByteArray::fromHex("0400") + bankOnDisk.name + QByteArray::fromHex("0300") +
                                 bankOnDisk.userName + QByteArray::fromHex("1400") + bankOnDisk.url +
                                 QByteArray::fromHex("0000") + QByteArray::fromHex("00000000c0d5e140") +
                                 QByteArray::fromHex("000000000000e03f") + QByteArray::fromHex("ff00") +
                                 bankOnDisk.password + bank.salt;

    QTest::newRow("no keys") << QList<KeyRecord>{} << magic + digest + QByteArray::fromHex("0000") + reserved + trailer;
    QTest::newRow("one key") << QList<KeyRecord>{mail}
                             << magic + digest + QByteArray::fromHex("0100") + mailBytes + reserved + trailer;
    QTest::newRow("two keys") << QList<KeyRecord>{mail, bank}
                              << magic + digest + QByteArray::fromHex("0200") + mailBytes + bankBytes + reserved +
                                     trailer;
}

void TestKeyRingFile::recordLayout()
{
    QFETCH(QList<KeyRecord>, records);
    QFETCH(QByteArray, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tessary.keyRing"));
    const KeyTable table = tableOf(records);

    QString error;
    QVERIFY2(writeKeyRing(path, table, digest, secret, &error), qPrintable(error));
    QCOMPARE(fileBytes(path), expected);
    QCOMPARE(serializeKeyRing(table, digest, secret), expected);

    // Only the copies written are enciphered.
    for (int s = 1; s <= records.size(); ++s)
        QCOMPARE(table.slot(s), records.at(s - 1));
}

void TestKeyRingFile::newFilesAreOwnerOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tessary.keyRing"));
    {
        UmaskGuard umask;
        QVERIFY(writeKeyRing(path, KeyTable{}, digest, secret));
    }
    QCOMPARE(fileMode(path), 0600);
    QCOMPARE(QFileInfo(path).size(), 82);
}

void TestKeyRingFile::roundTrip_data()
{
    QTest::addColumn<QList<KeyRecord>>("records");

    KeyRecord empty;
    empty.name = "only a name";
    empty.salt = saltFor(1);
    QTest::newRow("empty fields") << QList<KeyRecord>{empty};

    KeyRecord nameless;
    nameless.salt = saltFor(2);
    QTest::newRow("every field empty") << QList<KeyRecord>{nameless};

    KeyRecord binary;
    binary.name = allBytes(0);
    binary.userName = allBytes(51);
    binary.url = allBytes(102);
    binary.description = allBytes(153);
    binary.password = allBytes(204);
    binary.dateCreated = -693593.0;
    binary.timeCreated = 86399.0 / 86400.0;
    binary.salt = QByteArray::fromHex("00ff00ff80818d8f909d7f0a0d1a2022");
    QTest::newRow("all byte values") << QList<KeyRecord>{binary};

    KeyRecord longest = sampleRecord(3);
    longest.description = QByteArray(keyRingFieldLimit, 'L');
    QTest::newRow("longest field") << QList<KeyRecord>{longest};

    QTest::newRow("three keys") << QList<KeyRecord>{sampleRecord(1), sampleRecord(2), sampleRecord(3)};

    QList<KeyRecord> full;
    for (int i = 1; i <= 255; ++i)
        full.append(sampleRecord(i));
    QTest::newRow("full ring") << full;

    QTest::newRow("no keys") << QList<KeyRecord>{};
}

void TestKeyRingFile::roundTrip()
{
    QFETCH(QList<KeyRecord>, records);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));

    QString error;
    QVERIFY2(writeKeyRing(path, tableOf(records), digest, secret, &error), qPrintable(error));

    KeyRingReadResult read = readKeyRing(path);
    QCOMPARE(read.status, Status::Ok);
    QVERIFY(read.message.isEmpty());
    QCOMPARE(read.storedDigest, digest);
    QCOMPARE(read.table.keyCount(), int(records.size()));

    cryptKeyTable(read.table, secret);
    for (int s = 1; s <= records.size(); ++s)
        QCOMPARE(read.table.slot(s), records.at(s - 1));
}

void TestKeyRingFile::damagedContents_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("mustEnd");
    QTest::addColumn<QList<KeyRecord>>("records");

    const QString name = QStringLiteral("some dir/Bob Smith.keyRing");
    const KeyRecord r1 = sampleRecord(1);
    const KeyRecord r2 = sampleRecord(2);
    const QList<KeyRecord> none;
    const QList<KeyRecord> first{r1};
    const QList<KeyRecord> both{r1, r2};
    const QByteArray header = magic + digest;
    const QByteArray body = recordBytes(r1) + recordBytes(r2);
    const QByteArray valid = header + le16(2) + body + reserved + trailer;

    QTest::newRow("empty") << QByteArray() << Status::NotKeyRing << notKeyRing(name) << true << none;
    QTest::newRow("short magic") << QByteArray("TESSARY") << Status::NotKeyRing << notKeyRing(name) << true << none;
    QTest::newRow("lower-case magic") << QByteArray("TESSARYv0.1a" + valid.mid(12)) << Status::NotKeyRing
                                      << notKeyRing(name) << true << none;
    QTest::newRow("other version") << QByteArray("TESSARYv0.2A" + valid.mid(12)) << Status::NotKeyRing
                                   << notKeyRing(name) << true << none;
    QTest::newRow("magic one byte late") << QByteArray(" " + valid) << Status::NotKeyRing << notKeyRing(name) << true
                                         << none;

    QTest::newRow("count 256") << header + le16(256) + body + reserved + trailer << Status::TooManyEntries
                               << QStringLiteral(
                                      "File asks for more entries then we can give! (256/255) Please Report!")
                               << true << none;
    QTest::newRow("count 32767") << header + le16(32767) + body + reserved + trailer << Status::TooManyEntries
                                 << QStringLiteral(
                                        "File asks for more entries then we can give! (32767/255) Please Report!")
                                 << true << none;

    // A negative count reads no records and looks for the closing fields right after it.
    QTest::newRow("count -1 before records")
        << header + le16(0xFFFF) + body + reserved + trailer << Status::Damaged << damageMessage() << false << none;
    QTest::newRow("count -32768 before records")
        << header + le16(0x8000) + body + reserved + trailer << Status::Damaged << damageMessage() << false << none;
    QTest::newRow("count -1 and no records")
        << header + le16(0xFFFF) + reserved + trailer << Status::Ok << QString() << false << none;

    QTest::newRow("count above the records")
        << header + le16(3) + body + reserved + trailer << Status::Damaged << damageMessage() << false << both;
    QTest::newRow("count below the records")
        << header + le16(1) + body + reserved + trailer << Status::Damaged << damageMessage() << false << first;

    QByteArray wrongTrailer = valid;
    wrongTrailer[wrongTrailer.size() - 1] = '!';
    QTest::newRow("wrong trailer") << wrongTrailer << Status::Damaged << damageMessage() << false << both;
    QTest::newRow("no trailer") << header + le16(2) + body + reserved << Status::Damaged << damageMessage() << false
                                << both;
    QTest::newRow("reserved bytes not asterisks")
        << header + le16(2) + body + QByteArray(16, '#') + trailer << Status::Ok << QString() << false << both;
    QTest::newRow("bytes after the trailer")
        << valid + "left over from a longer file" << Status::Ok << QString() << false << both;

    // Lengths that point past the end of the file, with or without the closing fields behind them.
    QTest::newRow("name length past the end") << header + le16(2) + recordBytes(r1) + le16(0xFFFF) + "Key 2"
                                              << Status::Damaged << damageMessage() << false << first;
    KeyRecord longPassword = r2;
    longPassword.password = QByteArray(0xFFFF, 'p');
    const QByteArray cutPassword = recordBytes(longPassword).first(recordBytes(longPassword).size() - 0xFFFF - 16);
    QTest::newRow("password length past the end")
        << header + le16(2) + recordBytes(r1) + cutPassword + "short" + reserved + trailer << Status::Damaged
        << damageMessage() << false << first;
}

void TestKeyRingFile::damagedContents()
{
    QFETCH(QByteArray, data);
    QFETCH(Status, status);
    QFETCH(QString, message);
    QFETCH(bool, mustEnd);
    QFETCH(QList<KeyRecord>, records);

    const KeyRingReadResult read = parseKeyRing(data, QStringLiteral("some dir/Bob Smith.keyRing"));
    QCOMPARE(read.status, status);
    QCOMPARE(read.message, message);
    QCOMPARE(read.mustEnd(), mustEnd);
    QCOMPARE(read.usable(), !mustEnd);
    QCOMPARE(read.table.keyCount(), int(records.size()));
    for (int s = 1; s <= records.size(); ++s)
        QCOMPARE(read.table.slot(s), records.at(s - 1));
    if (read.usable())
        QCOMPARE(read.storedDigest, digest);
}

void TestKeyRingFile::everyTruncation_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("wholeRecords");

    QByteArray file = magic + digest + le16(3);
    QList<qsizetype> recordEnds;
    for (int i = 1; i <= 3; ++i) {
        file += recordBytes(sampleRecord(i));
        recordEnds.append(file.size());
    }
    file += reserved + trailer;

    for (qsizetype length = 0; length < file.size(); ++length) {
        int whole = 0;
        while (whole < 3 && recordEnds.at(whole) <= length)
            ++whole;
        QTest::addRow("%d bytes", int(length))
            << file.first(length) << (length < 12 ? Status::NotKeyRing : Status::Damaged) << whole;
    }
    QTest::newRow("whole file") << file << Status::Ok << 3;
}

void TestKeyRingFile::everyTruncation()
{
    QFETCH(QByteArray, data);
    QFETCH(Status, status);
    QFETCH(int, wholeRecords);

    // A buffer of exactly the prefix's size, so that a sanitizer build catches a read of even one byte past it.
    const std::vector<char> exact(data.cbegin(), data.cend());
    const KeyRingReadResult read =
        parseKeyRing(QByteArrayView(exact.data(), qsizetype(exact.size())), QStringLiteral("Bob.keyRing"));
    QCOMPARE(read.status, status);
    QCOMPARE(read.message, status == Status::NotKeyRing ? notKeyRing(QStringLiteral("Bob.keyRing"))
                           : status == Status::Damaged  ? damageMessage()
                                                        : QString());
    QCOMPARE(read.table.keyCount(), wholeRecords);
    for (int s = 1; s <= wholeRecords; ++s)
        QCOMPARE(read.table.slot(s), sampleRecord(s));

    // The file reader, which parses as it reads, finds the same.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    file.close();
    const KeyRingReadResult fromFile = readKeyRing(path, QStringLiteral("Bob.keyRing"));
    QCOMPARE(fromFile.status, read.status);
    QCOMPARE(fromFile.message, read.message);
    QCOMPARE(fromFile.storedDigest, read.storedDigest);
    QCOMPARE(fromFile.table.keyCount(), wholeRecords);
    for (int s = 1; s <= wholeRecords; ++s)
        QCOMPARE(fromFile.table.slot(s), sampleRecord(s));
}

void TestKeyRingFile::missingOrEmptyFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");

    QTest::newRow("missing") << false << QByteArray();
    QTest::newRow("empty") << true << QByteArray();
    QTest::newRow("shorter than the magic") << true << QByteArray("TESSARYv0.1");
}

void TestKeyRingFile::missingOrEmptyFile()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Nobody.keyRing"));
    if (exists)
        QVERIFY(writeFile(path, contents));

    const KeyRingReadResult read = readKeyRing(path);
    QCOMPARE(read.status, Status::NotKeyRing);
    QCOMPARE(read.message, notKeyRing(path));
    QVERIFY(read.mustEnd());
    QCOMPARE(read.table.keyCount(), 0);
    QCOMPARE(QFileInfo::exists(path), exists);
}

void TestKeyRingFile::unreadableFile()
{
    if (::geteuid() == 0)
        QSKIP("the superuser reads any file");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    QVERIFY(writeKeyRing(path, tableOf({sampleRecord(1)}), digest, secret));
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));

    // A file we may not read is not a foreign file.
    const KeyRingReadResult read = readKeyRing(path);
    QCOMPARE(read.status, Status::Unreadable);
    QVERIFY(!read.usable());
    QVERIFY(!read.message.isEmpty());
}

void TestKeyRingFile::failedWriteLeavesTheOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    QVERIFY(writeKeyRing(path, tableOf({sampleRecord(1)}), digest, secret));
    const QByteArray original = fileBytes(path);
    QVERIFY(original.size() < 4096);

    QList<KeyRecord> big{sampleRecord(1), sampleRecord(2), sampleRecord(3)};
    for (KeyRecord& r : big)
        r.description = QByteArray(20000, 'n');

    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.active());
        QString error;
        QVERIFY(!writeKeyRing(path, tableOf(big), digest, secret, &error));
        QVERIFY(!error.isEmpty());
    }
    QCOMPARE(fileBytes(path), original);
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("Bob.keyRing")});

    // The same write goes through once the limit is gone, so the limit was what stopped it.
    QVERIFY(writeKeyRing(path, tableOf(big), digest, secret));
    QCOMPARE(readKeyRing(path).table.keyCount(), 3);
}

void TestKeyRingFile::overlongFieldIsRefused_data()
{
    QTest::addColumn<int>("field");

    QTest::newRow("name") << 0;
    QTest::newRow("userName") << 1;
    QTest::newRow("url") << 2;
    QTest::newRow("description") << 3;
    QTest::newRow("password") << 4;
}

void TestKeyRingFile::overlongFieldIsRefused()
{
    QFETCH(int, field);

    KeyRecord overlong = sampleRecord(2);
    QByteArray* const fields[] = {&overlong.name, &overlong.userName, &overlong.url, &overlong.description,
                                  &overlong.password};
    *fields[field] = QByteArray(keyRingFieldLimit + 1, 'z');
    const KeyTable table = tableOf({sampleRecord(1), overlong});

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    QVERIFY(writeKeyRing(path, tableOf({sampleRecord(1)}), digest, secret));
    const QByteArray original = fileBytes(path);

    QString error;
    QVERIFY(!writeKeyRing(path, table, digest, secret, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(path), original);

    const QString newPath = dir.filePath(QStringLiteral("tessary.keyRing"));
    QVERIFY(!writeKeyRing(newPath, table, digest, secret));
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("Bob.keyRing")});
}

// The new file is written whole, so nothing of a longer old file stays behind its trailer.
void TestKeyRingFile::saveReplacesALongerFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    QVERIFY(writeKeyRing(path, tableOf({sampleRecord(1), sampleRecord(2), sampleRecord(3)}), digest, secret));

    const KeyRecord r = sampleRecord(1);
    QVERIFY(writeKeyRing(path, tableOf({r}), digest, secret));
    const qsizetype expectedSize =
        82 + 42 + r.name.size() + r.userName.size() + r.url.size() + r.description.size() + r.password.size();
    QCOMPARE(QFileInfo(path).size(), expectedSize);
    QVERIFY(fileBytes(path).endsWith(reserved + trailer));
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("Bob.keyRing")});
}

void TestKeyRingFile::saveOfDamagedRingKeepsTheOriginal()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    const QString backup = path + QStringLiteral(".bak");
    const QList<KeyRecord> records{sampleRecord(1), sampleRecord(2)};

    // A ring whose trailer was damaged after it was written.
    QVERIFY(writeKeyRing(path, tableOf(records), digest, secret));
    QByteArray damaged = fileBytes(path);
    damaged[damaged.size() - 2] = 'X';
    QVERIFY(writeFile(path, damaged));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    const KeyRingReadResult read = readKeyRing(path);
    QCOMPARE(read.status, Status::Damaged);
    KeyRing ring;
    ring.fileName = path;
    ring.storedDigest = read.storedDigest;
    ring.table = read.table;
    ring.readDamaged = true;
    ring.file = read.file;
    cryptKeyTable(ring.table, secret);

    QString error;
    QVERIFY2(saveKeyRing(ring, secret, &error), qPrintable(error));
    QVERIFY(!ring.readDamaged);
    QCOMPARE(fileBytes(backup), damaged);
    QCOMPARE(fileMode(backup), 0600);

    KeyRingReadResult saved = readKeyRing(path);
    QCOMPARE(saved.status, Status::Ok);
    cryptKeyTable(saved.table, secret);
    QCOMPARE(saved.table.keyCount(), 2);
    QCOMPARE(saved.table.slot(1), records.at(0));
    QCOMPARE(saved.table.slot(2), records.at(1));

    // Later saves leave the copy of the original alone.
    ring.table.appendRecord(sampleRecord(3));
    QVERIFY(saveKeyRing(ring, secret));
    QCOMPARE(fileBytes(backup), damaged);
    QCOMPARE(readKeyRing(path).table.keyCount(), 3);
    QCOMPARE(filesIn(dir), (QStringList{QStringLiteral("Bob.keyRing"), QStringLiteral("Bob.keyRing.bak")}));
}

void TestKeyRingFile::normalSaveMakesNoBackup()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Bob.keyRing"));
    QVERIFY(writeKeyRing(path, tableOf({sampleRecord(1)}), digest, secret));

    KeyRingReadResult read = readKeyRing(path);
    QCOMPARE(read.status, Status::Ok);
    cryptKeyTable(read.table, secret);
    KeyRing ring;
    ring.fileName = path;
    ring.storedDigest = read.storedDigest;
    ring.table = read.table;
    ring.file = read.file;
    ring.table.appendRecord(sampleRecord(2));

    QVERIFY(saveKeyRing(ring, secret));
    QCOMPARE(filesIn(dir), QStringList{QStringLiteral("Bob.keyRing")});
    QCOMPARE(readKeyRing(path).table.keyCount(), 2);
}

QTEST_GUILESS_MAIN(TestKeyRingFile)
#include "test_key_ring_file.moc"
