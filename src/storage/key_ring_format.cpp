#include "storage/key_ring_format.h"

#include "storage/file_io.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace tessary {

namespace {

// The two sources a key ring is read from: bytes in memory, and an open file read as it is parsed, so that a large
// key ring is held once (in its fields) rather than twice. Both read little-endian fields and never past the end;
// a read that does not fit fails.

class MemoryInput
{
public:
    explicit MemoryInput(QByteArrayView data) : m_data(data) {}

    std::optional<QByteArrayView> bytes(qsizetype count)
    {
        if (count < 0 || count > m_data.size() - m_position)
            return std::nullopt;
        const auto view = m_data.sliced(m_position, count);
        m_position += count;
        return view;
    }

    std::optional<QByteArray> text(qsizetype length)
    {
        const auto raw = bytes(length);
        if (!raw)
            return std::nullopt;
        return raw->toByteArray();
    }

private:
    QByteArrayView m_data;
    qsizetype m_position = 0;
};

class FileInput
{
public:
    explicit FileInput(RegularFile& file) : m_file(file), m_buffer(64 * 1024, Qt::Uninitialized) {}

    // A view valid until the next read; `count` is small (a fixed part of the format).
    std::optional<QByteArrayView> bytes(qsizetype count)
    {
        if (count < 0 || !buffered(count))
            return std::nullopt;
        const QByteArrayView view(m_buffer.constData() + m_position, count);
        m_position += count;
        return view;
    }

    std::optional<QByteArray> text(qsizetype length)
    {
        QByteArray out(length, Qt::Uninitialized);
        const qsizetype fromBuffer = std::min(length, m_end - m_position);
        std::memcpy(out.data(), m_buffer.constData() + m_position, static_cast<std::size_t>(fromBuffer));
        m_position += fromBuffer;
        const qsizetype rest = length - fromBuffer;
        if (rest > 0 && m_file.read(out.data() + fromBuffer, rest, m_error) != rest)
            return std::nullopt;
        return out;
    }

    // Why the file could not be read to the end, or empty when it was only short.
    const QString& error() const { return m_error; }

private:
    bool buffered(qsizetype count)
    {
        if (m_end - m_position >= count)
            return true;
        if (count > m_buffer.size())
            return false;
        std::memmove(m_buffer.data(), m_buffer.constData() + m_position, static_cast<std::size_t>(m_end - m_position));
        m_end -= m_position;
        m_position = 0;
        const qsizetype got = m_file.read(m_buffer.data() + m_end, m_buffer.size() - m_end, m_error);
        if (got > 0)
            m_end += got;
        return m_end >= count;
    }

    RegularFile& m_file;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    qsizetype m_end = 0;
    QString m_error;
};

template <class Input>
std::optional<quint16> readUint16(Input& in)
{
    const auto raw = in.bytes(2);
    if (!raw)
        return std::nullopt;
    return qFromLittleEndian<quint16>(raw->data());
}

template <class Input>
std::optional<double> readFloat64(Input& in)
{
    const auto raw = in.bytes(8);
    if (!raw)
        return std::nullopt;
    return std::bit_cast<double>(qFromLittleEndian<quint64>(raw->data()));
}

template <class Input>
std::optional<QByteArray> readField(Input& in)
{
    const auto length = readUint16(in);
    if (!length)
        return std::nullopt;
    return in.text(*length);
}

template <class Input>
std::optional<KeyRecord> readRecord(Input& in)
{
    KeyRecord record;
    for (QByteArray* text : {&record.name, &record.userName, &record.url, &record.description}) {
        auto value = readField(in);
        if (!value)
            return std::nullopt;
        *text = std::move(*value);
    }
    const auto date = readFloat64(in);
    const auto time = date ? readFloat64(in) : std::nullopt;
    auto password = time ? readField(in) : std::nullopt;
    const auto salt = password ? in.bytes(saltSize) : std::nullopt;
    if (!salt)
        return std::nullopt;
    record.dateCreated = *date;
    record.timeCreated = *time;
    record.password = std::move(*password);
    record.salt = salt->toByteArray();
    return record;
}

template <class Input>
KeyRingReadResult parse(Input& in, const QString& fileName)
{
    KeyRingReadResult result;
    const auto magic = in.bytes(keyRingMagic.size());
    if (!magic || *magic != keyRingMagic) {
        result.status = KeyRingReadResult::Status::NotKeyRing;
        result.message = notKeyRingMessage(fileName);
        return result;
    }

    const auto digest = in.bytes(16);
    const QByteArray storedDigest = digest ? digest->toByteArray() : QByteArray();
    const auto storedCount = digest ? readUint16(in) : std::nullopt;
    if (!storedCount) {
        result.status = KeyRingReadResult::Status::Damaged;
        result.message = damagedKeyRingMessage();
        return result;
    }
    result.storedDigest = storedDigest;
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

KeyRingReadResult unreadable(const QString& message)
{
    KeyRingReadResult result;
    result.status = KeyRingReadResult::Status::Unreadable;
    result.message = message;
    return result;
}

// A strong ring is read whole and only its header looked at; the seal is opened once the password is known.
KeyRingReadResult strongRing(QByteArray&& data, const QString& fileName)
{
    KeyRingReadResult result;
    result.format = KeyRingFormat::Strong;
    if (const QString wrong = readStrongHeader(data, result.strong); !wrong.isEmpty()) {
        result.status = KeyRingReadResult::Status::Unreadable;
        result.message = QStringLiteral("%1 is a strong key ring that is damaged: %2. Nothing was read.")
                             .arg(fileName, wrong);
        return result;
    }
    result.sealed = std::move(data);
    return result;
}

} // namespace

KeyRingReadResult parseKeyRing(QByteArrayView data, const QString& fileName)
{
    if (isStrongRing(data))
        return data.size() > strongRingSizeLimit ? unreadable(QStringLiteral("%1 is too large.").arg(fileName))
                                                 : strongRing(data.toByteArray(), fileName);
    MemoryInput in(data);
    return parse(in, fileName);
}

KeyRingReadResult readKeyRing(const QString& fileName, const QString& shownName)
{
    const QString name = shownName.isEmpty() ? fileName : shownName;
    RegularFile file;
    QString reason;
    switch (file.open(fileName, std::max(keyRingSizeLimit, strongRingSizeLimit), reason)) {
    case FileReadStatus::Ok:
        break;
    case FileReadStatus::Missing: {
        KeyRingReadResult result;
        result.status = KeyRingReadResult::Status::NotKeyRing;
        result.message = notKeyRingMessage(name);
        return result;
    }
    case FileReadStatus::Failed: {
        KeyRingReadResult result;
        result.status = KeyRingReadResult::Status::Unreadable;
        result.message = QStringLiteral("Cannot read %1: %2").arg(name, reason);
        return result;
    }
    }
    QByteArray start(strongRingMagic.size(), Qt::Uninitialized);
    const qsizetype startLength = file.readAt(0, start.data(), start.size(), reason);
    if (startLength == start.size() && isStrongRing(start)) {
        QByteArray whole(file.size(), Qt::Uninitialized);
        if (file.readAt(0, whole.data(), whole.size(), reason) != whole.size())
            return unreadable(QStringLiteral("Cannot read %1: %2")
                                  .arg(name, reason.isEmpty() ? QStringLiteral("it changed while it was read") : reason));
        KeyRingReadResult result = strongRing(std::move(whole), name);
        result.file = file.identity();
        return result;
    }
    if (file.size() > keyRingSizeLimit)
        return unreadable(QStringLiteral("Cannot read %1: File too large (%2 bytes; at most %3 are expected)")
                              .arg(name)
                              .arg(file.size())
                              .arg(keyRingSizeLimit));
    FileInput in(file);
    KeyRingReadResult result = parse(in, name);
    result.file = file.identity();
    if (!in.error().isEmpty()) {
        // Not a short file but a failing disk: nothing read is to be trusted, or saved over the file.
        result = {};
        result.status = KeyRingReadResult::Status::Unreadable;
        result.message = QStringLiteral("Cannot read %1: %2").arg(name, in.error());
    }
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
    // The records' digest chains all at once: side by side they take a third of the time.
    std::vector<QByteArrayView> salts;
    for (int s = 1; s <= table.keyCount(); ++s)
        salts.push_back(table.slot(s).salt);
    std::vector<FieldChain> chains(salts.size());
    fieldChains(salts, chains);
    for (int s = 1; s <= table.keyCount(); ++s) {
        KeyRecord copy = table.slot(s);
        for (const QByteArray* text : {&copy.name, &copy.userName, &copy.url, &copy.description, &copy.password}) {
            if (text->size() > keyRingFieldLimit) {
                if (error)
                    *error = QStringLiteral("The key \"%1\" holds a text longer than %2 characters, which a key ring "
                                            "cannot store.")
                                 .arg(QString::fromLatin1(copy.name.left(64)))
                                 .arg(keyRingFieldLimit);
                return {};
            }
        }
        cryptKeyRecord(copy, secret, chains[static_cast<std::size_t>(s - 1)]);
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

} // namespace tessary
