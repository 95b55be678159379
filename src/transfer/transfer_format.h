#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessary {

// The files keys come in from and go out to besides the key ring's own.
enum class TransferFormat {
    KeePassXcCsv,
    BitwardenCsv,
    ChromeCsv,
    FirefoxCsv,
    KeePassXml,
    TessaryKeyRing,
};

// The name --format takes ("keepassxc-csv"), and the one a report shows ("KeePassXC CSV").
QString formatName(TransferFormat format);
QString formatTitle(TransferFormat format);
std::optional<TransferFormat> formatNamed(const QString& name);
// The names --format takes for an import, in order.
QStringList importFormatNames();

// What the file's first bytes say: a key ring's magic, XML, or else CSV (whose header row then tells which); nothing
// for a file that is none of them.
enum class FileKind { KeyRing, Xml, Csv };
std::optional<FileKind> detectFileKind(QByteArrayView head);
FileKind kindOf(TransferFormat format);

} // namespace tessary
