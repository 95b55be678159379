#pragma once

#include <QByteArrayView>
#include <QString>

namespace tessary {

// Writes a file that must not exist yet, readable and writable by its owner only: one exclusive create, so a
// file or link that is there, or is put there while this runs, is refused, never written through. A write that
// fails removes what it made. `reason` is the system's wording, or ours.
bool writeNewFile(const QString& path, QByteArrayView bytes, QString& reason);

} // namespace tessary
