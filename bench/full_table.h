// The key table the benchmarks measure: the ring's every slot filled with keys of an everyday size.
#pragma once

#include "storage/key_table.h"

#include <QByteArray>

namespace tessary::bench {

inline const QByteArray masterPassword = QByteArrayLiteral("correct horse battery");

inline KeyTable fullTable()
{
    KeyTable table;
    for (int i = 0; table.keyCount() < KeyTable::capacity; ++i) {
        KeyRecord record;
        record.name = "Key number " + QByteArray::number(i);
        record.userName = QByteArrayLiteral("someone@example.org");
        record.url = QByteArrayLiteral("https://www.example.org/login");
        record.description = QByteArrayLiteral("The account for the shop, with the old security question.");
        record.password = QByteArrayLiteral("Xk3!pQ9#wL2@");
        table.addKey(record);
    }
    return table;
}

} // namespace tessary::bench
