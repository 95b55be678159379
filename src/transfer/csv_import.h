#pragma once

#include "transfer/import_rows.h"

#include <QStringView>

#include <optional>

namespace tessary {

// The rows of a CSV export of KeePassXC, Bitwarden, Chrome or Firefox. The header row tells which, or must be that
// of `format` when one is given. `fileName` is for the messages.
ImportRows readCsvImport(QStringView text, std::optional<TransferFormat> format, const QString& fileName);

// The header rows, as their programs write them.
QStringList csvHeader(TransferFormat format);

} // namespace tessary
