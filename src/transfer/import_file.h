#pragma once

#include "transfer/import_rows.h"

#include <QString>

#include <optional>

namespace tessary {

// Reads a file to import: at most maximumImportFileSize bytes, refused before reading when larger; its layout from
// `format`, else from its first bytes and its header row. The file's bytes and text are wiped once read. A Tessary
// key ring is only recognised (format TessaryKeyRing, no rows): the key ring's own reader takes it from there.
// `shownName` is the file as the messages name it.
ImportRows readImportFile(const QString& path, std::optional<TransferFormat> format, const QString& shownName);

QString unknownFormatMessage(const QString& fileName);

} // namespace tessary
