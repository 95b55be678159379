#include "storage/strong_ring_format.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>

namespace tessary {

namespace {

// Appends little-endian numbers and counted texts to a buffer of locked memory sized beforehand.
class Writer
{
public:
    explicit Writer(LockedBytes& out) : m_out(out) {}
    void bytes(const void* data, std::size_t size)
    {
        std::memcpy(m_out.data() + m_at, data, size);
        m_at += size;
    }
    template <class T>
    void number(T value)
    {
        unsigned char raw[sizeof(T)];
        qToLittleEndian(value, raw);
        bytes(raw, sizeof raw);
    }
    void text(QByteArrayView value)
    {
        number(std::uint16_t(value.size()));
        bytes(value.data(), std::size_t(value.size()));
    }
    std::size_t at() const { return m_at; }

private:
    LockedBytes& m_out;
    std::size_t m_at = 0;
};

class Reader
{
public:
    explicit Reader(QByteArrayView in) : m_in(in) {}
    bool bytes(void* into, qsizetype size)
    {
        if (size > m_in.size() - m_at)
            return false;
        std::memcpy(into, m_in.data() + m_at, std::size_t(size));
        m_at += size;
        return true;
    }
    template <class T>
    bool number(T& value)
    {
        unsigned char raw[sizeof(T)];
        if (!bytes(raw, sizeof raw))
            return false;
        value = qFromLittleEndian<T>(raw);
        return true;
    }
    bool text(QByteArray& value)
    {
        std::uint16_t length = 0;
        if (!number(length) || length > m_in.size() - m_at)
            return false;
        value = m_in.sliced(m_at, length).toByteArray();
        m_at += length;
        return true;
    }
    QByteArrayView rest() const { return m_in.sliced(m_at); }

private:
    QByteArrayView m_in;
    qsizetype m_at = 0;
};

QByteArray headerBytes(const StrongHeader& header, std::uint32_t sealedLength)
{
    QByteArray out;
    out.append(strongRingMagic);
    char raw[8];
    qToLittleEndian(strongRingVersion, raw);
    out.append(raw, 2);
    out.append(char(strongRingArgon2id));
    qToLittleEndian(header.kdf.passes, raw);
    out.append(raw, 4);
    qToLittleEndian(header.kdf.memory, raw);
    out.append(raw, 8);
    out.append(reinterpret_cast<const char*>(header.kdf.salt.data()), qsizetype(header.kdf.salt.size()));
    out.append(reinterpret_cast<const char*>(header.nonce.data()), qsizetype(header.nonce.size()));
    qToLittleEndian(sealedLength, raw);
    out.append(raw, 4);
    return out;
}

qsizetype contentSize(QByteArrayView owner, const KeyTable& table)
{
    qsizetype size = 8 + 2 + owner.size() + 2;
    for (int s = 1; s <= table.keyCount(); ++s) {
        const KeyRecord& record = table.slot(s);
        size += 2 * 5 + 8 + 8 + saltSize;
        for (const QByteArray* text : {&record.name, &record.userName, &record.url, &record.description, &record.password})
            size += text->size();
    }
    return size;
}

} // namespace

bool isStrongRing(QByteArrayView fileStart)
{
    return fileStart.startsWith(strongRingMagic);
}

QString readStrongHeader(QByteArrayView file, StrongHeader& header)
{
    Reader in(file);
    char magic[12];
    std::uint16_t version = 0;
    std::uint8_t kdf = 0;
    if (!in.bytes(magic, sizeof magic) || QByteArrayView(magic, sizeof magic) != strongRingMagic)
        return QStringLiteral("it does not start as a strong key ring does");
    if (!in.number(version) || !in.number(kdf) || !in.number(header.kdf.passes) || !in.number(header.kdf.memory) ||
        !in.bytes(header.kdf.salt.data(), qsizetype(header.kdf.salt.size())) ||
        !in.bytes(header.nonce.data(), qsizetype(header.nonce.size())))
        return QStringLiteral("its header is cut short (%1 bytes)").arg(file.size());
    if (version != strongRingVersion)
        return QStringLiteral("it is of version %1, which this Tessary does not know (it knows version %2)")
            .arg(version)
            .arg(strongRingVersion);
    if (kdf != strongRingArgon2id)
        return QStringLiteral("its key derivation %1 is not Argon2id").arg(kdf);
    if (!header.kdf.acceptable())
        return QStringLiteral("its key derivation asks for %1 passes over %2 KiB; at most %3 passes over %4 GiB are "
                              "accepted")
            .arg(header.kdf.passes)
            .arg(header.kdf.memory / 1024)
            .arg(KdfParameters::mostPasses)
            .arg(KdfParameters::mostMemory >> 30);
    std::uint32_t length = 0;
    if (!in.number(length))
        return QStringLiteral("its header is cut short (%1 bytes)").arg(file.size());
    const qint64 rest = in.rest().size();
    if (rest != length)
        return QStringLiteral("its sealed keys are %1 bytes long, but the header says %2").arg(rest).arg(length);
    if (length < qint64(sealingTagSize) + strongRingPadding || (length - sealingTagSize) % strongRingPadding != 0)
        return QStringLiteral("its sealed keys are %1 bytes long, which no strong key ring's are").arg(length);
    return {};
}

QByteArray sealStrongRing(std::uint64_t generation, QByteArrayView owner, const KeyTable& table,
                          const KdfParameters& kdf, const LockedBytes& key, QString* error)
{
    const auto tooLong = [](QByteArrayView text) { return text.size() > 0xFFFF; };
    bool fits = !tooLong(owner);
    for (int s = 1; s <= table.keyCount() && fits; ++s) {
        const KeyRecord& record = table.slot(s);
        for (const QByteArray* text : {&record.name, &record.userName, &record.url, &record.description, &record.password})
            fits = fits && !tooLong(*text);
    }
    if (!fits) {
        if (error)
            *error = QStringLiteral("A key holds a text longer than 65535 characters, which a key ring cannot store.");
        return {};
    }
    const qsizetype used = contentSize(owner, table);
    const qsizetype padded = (used / strongRingPadding + 1) * strongRingPadding;
    LockedBytes text{std::size_t(padded)};
    if (!text.valid()) {
        if (error)
            *error = QStringLiteral("There is no memory to seal the key ring in.");
        return {};
    }
    std::memset(text.data(), 0, text.size());
    Writer out(text);
    out.number(generation);
    out.text(owner);
    out.number(std::uint16_t(table.keyCount()));
    for (int s = 1; s <= table.keyCount(); ++s) {
        const KeyRecord& record = table.slot(s);
        out.text(record.name);
        out.text(record.userName);
        out.text(record.url);
        out.text(record.description);
        out.number(std::bit_cast<quint64>(record.dateCreated));
        out.number(std::bit_cast<quint64>(record.timeCreated));
        out.text(record.password);
        out.bytes(record.salt.leftJustified(saltSize, '\0', true).constData(), saltSize);
    }
    const StrongHeader header{kdf, freshNonce()};
    QByteArray file = headerBytes(header, std::uint32_t(padded + qsizetype(sealingTagSize)));
    file.append(seal(text.view(), file, header.nonce, key));
    return file;
}

StrongOpen openStrongRing(QByteArrayView file, const StrongHeader& header, const LockedBytes& key,
                          StrongContent& content, QString* message)
{
    const QByteArrayView sealed = file.sliced(strongRingHeaderSize);
    LockedBytes text{std::size_t(sealed.size()) - sealingTagSize};
    if (!unseal(sealed, file.first(strongRingHeaderSize), header.nonce, key, text))
        return StrongOpen::WrongKey;

    const auto malformed = [message](const QString& what) {
        if (message)
            *message = what;
        return StrongOpen::Malformed;
    };
    Reader in(text.view());
    StrongContent read;
    std::uint16_t count = 0;
    if (!in.number(read.generation) || !in.text(read.owner) || !in.number(count))
        return malformed(QStringLiteral("its sealed text is cut short"));
    if (count > KeyTable::capacity)
        return malformed(QStringLiteral("it holds %1 keys, more than %2").arg(count).arg(KeyTable::capacity));
    for (int i = 0; i < count; ++i) {
        KeyRecord record;
        quint64 date = 0;
        quint64 time = 0;
        if (!in.text(record.name) || !in.text(record.userName) || !in.text(record.url) ||
            !in.text(record.description) || !in.number(date) || !in.number(time) || !in.text(record.password) ||
            !in.bytes(record.salt.data(), saltSize))
            return malformed(QStringLiteral("its key %1 is cut short").arg(i + 1));
        record.dateCreated = std::bit_cast<double>(date);
        record.timeCreated = std::bit_cast<double>(time);
        read.table.appendRecord(std::move(record));
    }
    const QByteArrayView padding = in.rest();
    if (padding.size() >= strongRingPadding ||
        std::any_of(padding.begin(), padding.end(), [](char c) { return c != '\0'; }))
        return malformed(QStringLiteral("its sealed text does not end as it should"));
    content = std::move(read);
    return StrongOpen::Opened;
}

} // namespace tessary
