#include "transfer/transfer_format.h"

#include "storage/key_ring_format.h"

#include <array>
#include <utility>

namespace tessary {

namespace {

struct Named
{
    TransferFormat format;
    const char* name;
    const char* title;
};

constexpr std::array<Named, 6> formats{{
    {TransferFormat::KeePassXcCsv, "keepassxc-csv", "KeePassXC CSV"},
    {TransferFormat::BitwardenCsv, "bitwarden-csv", "Bitwarden CSV"},
    {TransferFormat::ChromeCsv, "chrome-csv", "Chrome CSV"},
    {TransferFormat::FirefoxCsv, "firefox-csv", "Firefox CSV"},
    {TransferFormat::KeePassXml, "keepass-xml", "KeePass 2 XML"},
    {TransferFormat::TessaryKeyRing, "tessary", "Tessary key ring"},
}};

const Named& entry(TransferFormat format)
{
    for (const Named& named : formats) {
        if (named.format == format)
            return named;
    }
    return formats.front();
}

} // namespace

QString formatName(TransferFormat format)
{
    return QLatin1String(entry(format).name);
}

QString formatTitle(TransferFormat format)
{
    return QLatin1String(entry(format).title);
}

std::optional<TransferFormat> formatNamed(const QString& name)
{
    for (const Named& named : formats) {
        if (name == QLatin1String(named.name))
            return named.format;
    }
    return std::nullopt;
}

QStringList importFormatNames()
{
    QStringList names;
    for (const Named& named : formats)
        names.append(QLatin1String(named.name));
    return names;
}

std::optional<FileKind> detectFileKind(QByteArrayView head)
{
    if (head.startsWith(keyRingMagic))
        return FileKind::KeyRing;
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    qsizetype i = 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    if (i == head.size())
        return std::nullopt;
    if (head[i] == '<')
        return FileKind::Xml;
    // A NUL is in no text file: some binary file (a .kdbx database, say).
    return head.contains('\0') ? std::nullopt : std::optional(FileKind::Csv);
}

FileKind kindOf(TransferFormat format)
{
    switch (format) {
    case TransferFormat::KeePassXml:
        return FileKind::Xml;
    case TransferFormat::TessaryKeyRing:
        return FileKind::KeyRing;
    default:
        return FileKind::Csv;
    }
}

} // namespace tessary
