#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tessary {

// CSV as RFC 4180 has it, and as password managers write it: records end with LF or CR LF; a field is quoted or
// not, a quoted one may hold commas, doubled quotes and line breaks. A quote inside an unquoted field is kept as
// it stands (some writers never quote). Blank lines are no records.
struct CsvRecord
{
    int line = 0;          // where the record starts, from 1
    QStringList fields;    // at most `maximumFields` of them
    int fieldCount = 0;    // how many the record has, all counted
};

struct CsvTable
{
    QList<CsvRecord> records;
    QString failure; // why the text is no CSV (an unclosed quote, text after a closing one), with its line
};

// Stops with a failure past `maximumRecords`, so a file of short lines cannot fill the memory.
CsvTable readCsv(QStringView text, qsizetype maximumFields, qsizetype maximumRecords);

} // namespace tessary
