#pragma once

#include "transfer/transfer_format.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessary {

// One entry of a file to import, as the file gives it (Unicode text, before the key ring's rules).
struct ImportRow
{
    int number = 0; // the line it starts on, or the entry's number in the file
    QString title;
    QString userName;
    QString url;
    QString notes;
    QString password;
    QDateTime created;   // invalid when the file gives none
    QString refusal;     // set by the reader when the row cannot be read as a key at all
    QStringList dropped; // what the file holds for it that a key has no field for ("TOTP")
};

// What a reader made of a file.
struct ImportRows
{
    TransferFormat format = TransferFormat::KeePassXcCsv;
    QString failure; // the file as a whole is refused; empty when read
    QList<ImportRow> rows;
    int skipped = 0;      // entries that are no logins (a Bitwarden card) or were deleted (a recycle bin)
    QString skippedWhat;  // what they were, for the report

    ImportRows() = default;
    ImportRows(const ImportRows&) = delete;
    ImportRows& operator=(const ImportRows&) = delete;
    ImportRows(ImportRows&&) = default;
    ImportRows& operator=(ImportRows&&) = default;
    // The passwords and every other text of the file are overwritten when done with.
    ~ImportRows() { wipe(); }
    void wipe();
};

// A file of more rows than this is refused whole: no one's passwords fill it, and its rows would fill the memory.
inline constexpr int maximumImportRows = 10000;
// Files over this size are refused before a byte of them is read.
inline constexpr qint64 maximumImportFileSize = 16 * 1024 * 1024;

// How a report names a row: "line 4", "entry 7", "key 2".
QString rowLabel(TransferFormat format, int number);
QString tooManyRowsMessage(const QString& fileName);

} // namespace tessary
