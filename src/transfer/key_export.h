#pragma once

#include "storage/key_table.h"

#include <QByteArray>
#include <QString>

namespace tessary {

// The key ring in clear, for another password manager: every key of the table, passwords cut at their first NUL
// (what Copy Password gives), notes with LF line breaks, creation stamps in UTC. The caller wipes the bytes.

// KeePassXC's CSV: its header, every field quoted, LF, UTF-8 without a BOM, group "Tessary".
QByteArray keePassXcCsv(const KeyTable& table);

// KeePass 2 XML, as KeePassXC imports it: one group "Tessary", an entry a key. Empty, with `refusal` set, when a
// key holds a character XML 1.0 cannot carry (a control character): the key is named, and nothing is made.
QByteArray keePassXml(const KeyTable& table, QString& refusal);

} // namespace tessary
