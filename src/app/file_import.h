#pragma once

#include "transfer/import_plan.h"
#include "transfer/import_rows.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

namespace tessary {

class KeyRingImport;
class Session;

// An import from a file, for both front ends: the file read (a Tessary key ring through the key ring import, under
// its own master password), then the plan of what it adds to the logged-in key ring. Nothing is written here: the
// session adds the plan's keys.
class FileImport
{
public:
    // Reads and parses the file; a Tessary key ring waits for attach(). `shownName` names it in the messages.
    FileImport(const QString& path, std::optional<TransferFormat> format, const QString& shownName);
    ~FileImport();
    FileImport(const FileImport&) = delete;
    FileImport& operator=(const FileImport&) = delete;

    // Empty while the file is usable; else what to tell the user.
    QString failure() const;
    TransferFormat format() const { return m_rows.format; }

    // For a Tessary key ring: reads it against the logged-in user's. Needs no call for other files.
    void attach(const Session& session);
    // The key ring was written under another master password than the logged-in user's.
    bool needsPassword() const;
    // Checks that password; false leaves everything as it was.
    bool unlock(const QString& password);

    // What the import would do to `session`'s key ring now.
    ImportPlan plan(const Session& session, const QDateTime& now = QDateTime::currentDateTime());

private:
    QString m_path;
    QString m_shownName;
    ImportRows m_rows;
    std::unique_ptr<KeyRingImport> m_ring;
};

} // namespace tessary
