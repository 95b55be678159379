#pragma once

#include "storage/key_record.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace tessary::cli {

// One ls line: name, URL, user name and creation stamp, separated by tabs. Tabs and line ends inside a field
// become blanks, so every key stays one line of four fields.
QString keyListLine(const KeyRecord& record);

// show's labelled fields; the password is cut at its first NUL, as Copy Password cuts it.
QStringList keyFieldLines(const KeyRecord& record);

// show --json's object: the stored values whole.
QJsonObject keyJson(const KeyRecord& record);

} // namespace tessary::cli
