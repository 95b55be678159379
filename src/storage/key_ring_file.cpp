#include "storage/key_ring_file.h"

#include "crypto/password_hash.h"
#include "storage/file_io.h"

#include <QFileInfo>
#include <QtEndian>

#include <bit>
#include <cstring>
#include <optional>

namespace tessary {

namespace {

// Reads little-endian fields and never past the end; a read that does not fit fails and reads nothing.
class Reader
{
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}

    std::optional<QByteArrayView> bytes(qsizetype count)
    {
        if (count < 0 || count > m_data.size() - m_position)
            return std::nullopt;
        const auto view = m_data.sliced(m_position, count);
        m_position += count;
        return view;
    }

    std::optional<quint16> uint16()
    {
        const auto raw = bytes(2);
        if (!raw)
            return std::nullopt;
        return qFromLittleEndian<quint16>(raw->data());
    }

    std::optional<double> float64()
    {
        const auto raw = bytes(8);
        if (!raw)
            return std::nullopt;
        return std::bit_cast<double>(qFromLittleEndian<quint64>(raw->data()));
    }

    std::optional<QByteArray> field()
    {
        const auto length = uint16();
        if (!length)
            return std::nullopt;
        const auto raw = bytes(*length);
        if (!raw)
            return std::nullopt;
        return raw->toByteArray();
    }

private:
    QByteArrayView m_data;
    qsizetype m_position = 0;
};

std::optional<KeyRecord> readRecord(Reader& in)
{
    KeyRecord record;
    for (QByteArray* text : {&record.name, &record.userName, &record.url, &record.description}) {
        auto value = in.field();
        if (!value)
            return std::nullopt;
        *text = std::move(*value);
    }
    const auto date = in.float64();
    const auto time = in.float64();
    auto password = in.field();
    const auto salt = in.bytes(saltSize);
    if (!date || !time || !password || !salt)
        return std::nullopt;
    record.dateCreated = *date;
    record.timeCreated = *time;
    record.password = std::move(*password);
    record.salt = salt->toByteArray();
    return record;
}

void appendUint16(QByteArray& out, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    out.append(raw, 2);
}

void appendFloat64(QByteArray& out, double value)
{
    char raw[8];
    qToLittleEndian(std::bit_cast<quint64>(value), raw);
    out.append(raw, 8);
}

void appendField(QByteArray& out, const QByteArray& text)
{
    appendUint16(out, static_cast<quint16>(text.size()));
    out.append(text);
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

QString keyRingFileName(const QString& userName)
{
    static const QString allowed = QStringLiteral("abcdefghijklmnopqrstuvwxyz1234567890-_~");
    QString result;
    for (const QChar c : userName) {
        // Only ASCII: some other characters (the Kelvin sign) lower-case into an ASCII letter.
        if (c.unicode() < 0x80 && allowed.contains(c.toLower()))
            result.append(c);
    }
    if (!result.isEmpty())
        result.append(QStringLiteral(".keyRing"));
    return result;
}

KeyRingReadResult parseKeyRing(QByteArrayView data, const QString& fileName)
{
    KeyRingReadResult result;
    Reader in(data);

    const auto magic = in.bytes(keyRingMagic.size());
    if (!magic || *magic != keyRingMagic) {
        result.status = KeyRingReadResult::Status::NotKeyRing;
        result.message = notKeyRingMessage(fileName);
        return result;
    }

    const auto digest = in.bytes(16);
    const auto storedCount = in.uint16();
    if (!digest || !storedCount) {
        result.status = KeyRingReadResult::Status::Damaged;
        result.message = damagedKeyRingMessage();
        return result;
    }
    result.storedDigest = digest->toByteArray();
    const auto count = static_cast<qint16>(*storedCount);
    if (count > KeyTable::capacity) {
        result.status = KeyRingReadResult::Status::TooManyEntries;
        result.message = tooManyEntriesMessage(count);
        return result;
    }

    bool whole = true;
    for (int i = 0; i < count && whole; ++i) {
        auto record = readRecord(in);
        if (record)
            result.table.appendRecord(std::move(*record));
        else
            whole = false;
    }

    const auto reserved = whole ? in.bytes(keyRingReserved.size()) : std::nullopt;
    const auto trailer = reserved ? in.bytes(keyRingTrailer.size()) : std::nullopt;
    if (!trailer || *trailer != keyRingTrailer) {
        result.status = KeyRingReadResult::Status::Damaged;
        result.message = damagedKeyRingMessage();
    }
    return result;
}

KeyRingReadResult readKeyRing(const QString& fileName, const QString& shownName)
{
    const QString name = shownName.isEmpty() ? fileName : shownName;
    QByteArray bytes;
    QString reason;
    switch (readRegularFile(fileName, keyRingSizeLimit, bytes, reason)) {
    case FileReadStatus::Ok:
        return parseKeyRing(bytes, name);
    case FileReadStatus::Missing:
        break;
    case FileReadStatus::Failed: {
        KeyRingReadResult result;
        result.status = KeyRingReadResult::Status::Unreadable;
        result.message = QStringLiteral("Cannot read %1: %2").arg(name, reason);
        return result;
    }
    }
    KeyRingReadResult result;
    result.status = KeyRingReadResult::Status::NotKeyRing;
    result.message = notKeyRingMessage(name);
    return result;
}

QByteArray serializeKeyRing(const KeyTable& table, QByteArrayView storedDigest, const MasterSecret& secret,
                            QString* error)
{
    QByteArray out;
    out.append(keyRingMagic);
    out.append(storedDigest.first(std::min<qsizetype>(16, storedDigest.size())));
    out.append(16 - std::min<qsizetype>(16, storedDigest.size()), ' ');
    appendUint16(out, static_cast<quint16>(table.keyCount()));
    for (int s = 1; s <= table.keyCount(); ++s) {
        KeyRecord copy = table.slot(s);
        for (const QByteArray* text : {&copy.name, &copy.userName, &copy.url, &copy.description, &copy.password}) {
            if (text->size() > keyRingFieldLimit) {
                fail(error, QStringLiteral("The key \"%1\" holds a text longer than %2 characters, which a key ring "
                                           "cannot store.")
                                .arg(QString::fromLatin1(copy.name.left(64)))
                                .arg(keyRingFieldLimit));
                return {};
            }
        }
        cryptKeyRecord(copy, secret);
        appendField(out, copy.name);
        appendField(out, copy.userName);
        appendField(out, copy.url);
        appendField(out, copy.description);
        appendFloat64(out, copy.dateCreated);
        appendFloat64(out, copy.timeCreated);
        appendField(out, copy.password);
        out.append(copy.salt.leftJustified(saltSize, '\0', true));
    }
    out.append(keyRingReserved);
    out.append(keyRingTrailer);
    return out;
}

bool writeKeyRingBytes(const QString& fileName, const QByteArray& bytes, QString* error)
{
    QString reason;
    if (!replaceFile(fileName, bytes, reason))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(fileName, reason));
    return true;
}

bool writeKeyRing(const QString& fileName, const KeyTable& table, QByteArrayView storedDigest,
                  const MasterSecret& secret, QString* error)
{
    const QByteArray bytes = serializeKeyRing(table, storedDigest, secret, error);
    return !bytes.isEmpty() && writeKeyRingBytes(fileName, bytes, error);
}

bool createKeyRing(const QString& fileName, QByteArrayView password, QString* error)
{
    if (password.isEmpty())
        return fail(error, emptyMasterPasswordMessage());
    if (password.size() > maximumMasterPasswordLength)
        return fail(error, longMasterPasswordMessage());
    if (QFileInfo::exists(fileName))
        return fail(error, QStringLiteral("%1 already exists.").arg(fileName));
    return writeKeyRing(fileName, KeyTable{}, hashPassword(password), MasterSecret{}, error);
}

bool saveKeyRing(KeyRing& ring, const MasterSecret& secret, QString* error)
{
    const QByteArray bytes = serializeKeyRing(ring.table, ring.storedDigest, secret, error);
    if (bytes.isEmpty())
        return false;
    if (ring.readDamaged) {
        const QString backup = ring.fileName + QStringLiteral(".bak");
        QByteArray original;
        QString reason;
        const FileReadStatus read = readRegularFile(ring.fileName, keyRingSizeLimit, original, reason);
        if (read == FileReadStatus::Failed || (read == FileReadStatus::Ok && !replaceFile(backup, original, reason)))
            return fail(error, QStringLiteral("Cannot keep a copy of the damaged %1 as %2 (%3); nothing was saved.")
                                   .arg(ring.fileName, backup, reason));
    }
    if (!writeKeyRingBytes(ring.fileName, bytes, error))
        return false;
    ring.readDamaged = false;
    return true;
}

QString notKeyRingMessage(const QString& fileName)
{
    return QStringLiteral("Not a Tessary v0.1a file! (%1) Please Report!").arg(fileName);
}

QString tooManyEntriesMessage(int count)
{
    return QStringLiteral("File asks for more entries then we can give! (%1/%2) Please Report!")
        .arg(count)
        .arg(KeyTable::capacity);
}

QString damagedKeyRingMessage()
{
    return QStringLiteral("Hmmm... Something went wrong in the reading of the file. Attempting to continue anyway...");
}

QString emptyMasterPasswordMessage()
{
    return QStringLiteral("The master password must not be empty.");
}

QString longMasterPasswordMessage()
{
    return QStringLiteral("The master password may be at most %1 characters long.").arg(maximumMasterPasswordLength);
}

} // namespace tessary
