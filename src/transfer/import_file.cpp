#include "transfer/import_file.h"

#include "crypto/wipe.h"
#include "storage/file_io.h"
#include "transfer/csv_import.h"
#include "transfer/xml_import.h"

#include <QStringDecoder>

#include <algorithm>

namespace tessary {

namespace {

ImportRows failed(const QString& message)
{
    ImportRows read;
    read.failure = message;
    return read;
}

std::optional<FileKind> kindOfFile(const QString& path, QByteArrayView bytes)
{
    // A key ring of another layout than today's is still a key ring: its reader says what it makes of it.
    if (path.endsWith(QLatin1String(".keyRing")))
        return FileKind::KeyRing;
    return detectFileKind(bytes.first(std::min<qsizetype>(bytes.size(), 4096)));
}

ImportRows readCsvFile(QByteArrayView bytes, std::optional<TransferFormat> format, const QString& shownName)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        wipe(text);
        return failed(QStringLiteral("%1 is not UTF-8 text. Nothing was read.").arg(shownName));
    }
    ImportRows read = readCsvImport(text, format, shownName);
    wipe(text);
    return read;
}

} // namespace

ImportRows readImportFile(const QString& path, std::optional<TransferFormat> format, const QString& shownName)
{
    QByteArray bytes;
    QString reason;
    const FileReadStatus status = readRegularFile(path, maximumImportFileSize, bytes, reason, Strangers::Allow);
    if (status == FileReadStatus::Missing)
        return failed(QStringLiteral("There is no file %1. Nothing was read.").arg(shownName));
    if (status != FileReadStatus::Ok)
        return failed(QStringLiteral("%1 cannot be read: %2. Nothing was read.").arg(shownName, reason));

    const std::optional<FileKind> kind = format ? kindOf(*format) : kindOfFile(path, bytes);
    ImportRows read;
    if (!kind)
        read = failed(unknownFormatMessage(shownName));
    else if (*kind == FileKind::Xml)
        read = readKeePassXml(bytes, shownName);
    else if (*kind == FileKind::Csv)
        read = readCsvFile(bytes, format, shownName);
    else
        read.format = TransferFormat::TessaryKeyRing;
    wipe(bytes);
    return read;
}

QString unknownFormatMessage(const QString& fileName)
{
    return QStringLiteral("%1 is in no format Tessary reads: the CSV of KeePassXC, Bitwarden, Chrome or Firefox, "
                          "KeePass 2 XML, or a Tessary key ring. Nothing was read.")
        .arg(fileName);
}

} // namespace tessary
