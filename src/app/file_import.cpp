#include "app/file_import.h"

#include "app/key_ring_import.h"
#include "app/session.h"
#include "storage/codepage.h"
#include "storage/ole_date.h"
#include "transfer/import_file.h"

namespace tessary {

namespace {

// The keys of a Tessary key ring as rows, so they meet the same rules as any other file's.
void keyRingRows(const KeyTable& keys, ImportRows& rows)
{
    for (int slot = 1; slot <= keys.keyCount(); ++slot) {
        const KeyRecord& record = keys.slot(slot);
        ImportRow row;
        row.number = slot;
        row.title = fromCodePage(record.name);
        row.userName = fromCodePage(record.userName);
        row.url = fromCodePage(record.url);
        row.notes = fromCodePage(record.description);
        row.password = fromCodePage(usablePasswordView(record));
        const QDate date = fromOleDate(record.dateCreated);
        const QTime time = fromOleTime(record.timeCreated);
        if (date.isValid() && time.isValid())
            row.created = QDateTime(date, time);
        rows.rows.append(std::move(row));
    }
}

} // namespace

FileImport::FileImport(const QString& path, std::optional<TransferFormat> format, const QString& shownName)
    : m_path(path), m_shownName(shownName), m_rows(readImportFile(path, format, shownName))
{
}

FileImport::~FileImport() = default;

QString FileImport::failure() const
{
    if (!m_rows.failure.isEmpty())
        return m_rows.failure;
    if (m_ring)
        return m_ring->failure();
    return {};
}

void FileImport::attach(const Session& session)
{
    if (m_rows.format == TransferFormat::TessaryKeyRing && m_rows.failure.isEmpty() && !m_ring)
        m_ring = std::make_unique<KeyRingImport>(session, m_path, m_shownName);
}

bool FileImport::needsPassword() const
{
    return m_ring && m_ring->needsPassword();
}

bool FileImport::unlock(const QString& password)
{
    return m_ring && m_ring->unlock(password);
}

ImportPlan FileImport::plan(const Session& session, const QDateTime& now)
{
    attach(session);
    if (m_ring && m_rows.rows.isEmpty()) {
        if (const KeyTable* keys = m_ring->keys())
            keyRingRows(*keys, m_rows);
    }
    return planImport(m_rows, session.keyTable(), now);
}

} // namespace tessary
