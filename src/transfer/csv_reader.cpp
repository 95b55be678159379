#include "transfer/csv_reader.h"

namespace tessary {

namespace {

class CsvScanner
{
public:
    CsvScanner(QStringView text, qsizetype maximumFields) : m_text(text), m_maximumFields(maximumFields) {}

    bool atEnd() const { return m_at >= m_text.size(); }
    int line() const { return m_line; }
    const QString& failure() const { return m_failure; }

    // The next record; false at the end of the text or on a failure.
    bool next(CsvRecord& record)
    {
        while (!atEnd() && lineBreakLength() > 0)
            skipLineBreak(); // blank lines
        if (atEnd())
            return false;
        record = CsvRecord{};
        record.line = m_line;
        for (;;) {
            QString field;
            if (!readField(field))
                return false;
            if (record.fieldCount++ < m_maximumFields)
                record.fields.append(field);
            if (atEnd())
                return true;
            if (m_text.at(m_at) == QLatin1Char(',')) {
                ++m_at;
                continue;
            }
            skipLineBreak();
            return true;
        }
    }

private:
    qsizetype lineBreakLength() const
    {
        if (m_text.at(m_at) == QLatin1Char('\n'))
            return 1;
        if (m_text.at(m_at) == QLatin1Char('\r') && m_at + 1 < m_text.size() && m_text.at(m_at + 1) == QLatin1Char('\n'))
            return 2;
        return 0;
    }
    void skipLineBreak()
    {
        m_at += lineBreakLength();
        ++m_line;
    }
    bool atFieldEnd() const { return atEnd() || m_text.at(m_at) == QLatin1Char(',') || lineBreakLength() > 0; }

    bool readField(QString& field)
    {
        if (atEnd() || m_text.at(m_at) != QLatin1Char('"')) {
            const qsizetype start = m_at;
            while (!atFieldEnd())
                ++m_at;
            field = m_text.sliced(start, m_at - start).toString();
            return true;
        }
        const int opened = m_line;
        ++m_at;
        for (;;) {
            const qsizetype quote = m_text.indexOf(QLatin1Char('"'), m_at);
            if (quote < 0) {
                m_failure = QStringLiteral("line %1: a quoted field is never closed").arg(opened);
                return false;
            }
            const QStringView part = m_text.sliced(m_at, quote - m_at);
            field.append(part);
            m_line += int(part.count(QLatin1Char('\n')));
            m_at = quote + 1;
            if (!atEnd() && m_text.at(m_at) == QLatin1Char('"')) {
                field.append(QLatin1Char('"'));
                ++m_at;
                continue;
            }
            if (!atFieldEnd()) {
                m_failure = QStringLiteral("line %1: text follows a closing quote").arg(m_line);
                return false;
            }
            return true;
        }
    }

    QStringView m_text;
    qsizetype m_maximumFields;
    qsizetype m_at = 0;
    int m_line = 1;
    QString m_failure;
};

} // namespace

CsvTable readCsv(QStringView text, qsizetype maximumFields, qsizetype maximumRecords)
{
    CsvTable table;
    CsvScanner scanner(text, maximumFields);
    CsvRecord record;
    while (scanner.next(record)) {
        if (table.records.size() >= maximumRecords) {
            table.failure = QStringLiteral("more than %1 records").arg(maximumRecords);
            break;
        }
        table.records.append(std::move(record));
    }
    if (table.failure.isEmpty())
        table.failure = scanner.failure();
    if (!table.failure.isEmpty())
        table.records.clear();
    return table;
}

} // namespace tessary
