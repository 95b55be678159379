#pragma once

#include "transfer/import_rows.h"

#include <QByteArrayView>

namespace tessary {

// The entries of a KeePass 2 XML file, as KeePass and KeePassXC export it: KeePassFile/Root/Group, groups nested,
// each Entry's String{Key,Value} and Times/CreationTime. Old versions of an entry (its History) and the entries
// of the recycle bin are no keys to import. `fileName` is for the messages.
ImportRows readKeePassXml(QByteArrayView data, const QString& fileName);

} // namespace tessary
