#pragma once

#include "storage/key_record.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace tessary::cli {

// Whether a command prints the key's password: only when asked to, so that it does not reach a screen or a log by
// accident.
enum class PasswordOutput { Hidden, Shown };

// A stored text as a terminal may safely show it: control characters (an escape sequence, a tab, a line break)
// become "\t", "\n", "\r" or "\xHH", so a field can neither steer the terminal nor spill onto another line.
QString printable(const QString& text);

// One ls line: name, URL, user name and creation stamp, separated by tabs, each printable().
QString keyListLine(const KeyRecord& record);

// show's labelled fields, each printable(); the password, when shown, is cut at its first NUL, as Copy Password
// cuts it.
QStringList keyFieldLines(const KeyRecord& record, PasswordOutput password);

// show --json's object: the stored values whole ("password" only when shown).
QJsonObject keyJson(const KeyRecord& record, PasswordOutput password);

} // namespace tessary::cli
