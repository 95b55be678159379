#pragma once

#include "storage/key_record.h"
#include "storage/key_table.h"
#include "transfer/import_rows.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessary {

// What an import will do with each row of a file, worked out before anything is written: the keys it makes, the
// rows it refuses and why, the names it gives.
struct PlannedRow
{
    enum class Outcome { Imported, Renamed, Refused };
    int number = 0;
    QString label; // "line 4"
    QString title; // as the file has it
    QString name;  // the key's name, when imported
    Outcome outcome = Outcome::Refused;
    QString reason;      // why refused
    QStringList dropped; // what the file holds for it that no field of a key keeps
};

class ImportPlan
{
public:
    ImportPlan() = default;
    ImportPlan(const ImportPlan&) = delete;
    ImportPlan& operator=(const ImportPlan&) = delete;
    ImportPlan(ImportPlan&&) = default;
    ImportPlan& operator=(ImportPlan&&) = default;
    ~ImportPlan();

    TransferFormat format = TransferFormat::KeePassXcCsv;
    QList<PlannedRow> rows;
    // The keys to add, in the order of their rows: fields as stored, the creation stamp set, no salt yet.
    QList<KeyRecord> records;
    int skipped = 0;
    QString skippedWhat;

    int refusedCount() const { return int(rows.size() - records.size()); }
    int renamedCount() const;
};

// The rules a key's fields keep wherever it comes from: a name, password or notes too long or a character outside
// the code page refuses the row, never cut; an empty name takes the URL's host, else "Imported N"; a name already
// taken, by a key or by an earlier row, becomes "NAME (2)", "NAME (3)"...; once the key ring is full every later
// row is refused. A row without a creation time is stamped `now`.
ImportPlan planImport(const ImportRows& read, const KeyTable& into, const QDateTime& now);

// "18 keys: 15 to import, 3 refused"
QString planHeadline(const ImportPlan& plan);
// The report's line for a row that is not simply imported ("line 4 "Bank": refused: ..."); empty otherwise.
QString plannedRowText(const PlannedRow& row);
// The skipped rows, when there are any ("2 rows skipped: not logins ...").
QString skippedText(const ImportPlan& plan);

} // namespace tessary
