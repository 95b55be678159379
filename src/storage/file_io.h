#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessary {

enum class FileReadStatus {
    Ok,
    Missing, // no file of that name
    Failed,  // `reason` says why
};

// Reads a whole regular file. A FIFO, a device or a directory is refused without blocking on it, and so is a file
// larger than `maximumSize`, before any of it is read. `reason` is the system's or our own short wording.
FileReadStatus readRegularFile(const QString& path, qint64 maximumSize, QByteArray& bytes, QString& reason);

// Replaces the file's contents with `bytes`, or leaves the old file as it was: the bytes go to a new file beside
// it (owner read and write only), which is flushed to the disk before it is renamed over the old one. A symbolic
// link keeps pointing at the file it named. `reason` is the system's wording of what failed.
bool replaceFile(const QString& path, QByteArrayView bytes, QString& reason);

} // namespace tessary
