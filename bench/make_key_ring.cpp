// Writes a key ring at the format's limits for the benchmarks: 255 keys whose text fields are all `length` bytes
// long (the user name and URL only, with --names-urls), under the given master password.
//   make_key_ring FILE PASSWORD LENGTH [--names-urls]
#include "crypto/password_hash.h"
#include "storage/key_ring_file.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    using namespace tessary;
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_key_ring FILE PASSWORD LENGTH [--names-urls]\n");
        return 2;
    }
    const QByteArray password(argv[2]);
    const qsizetype length = std::atoi(argv[3]);
    const bool onlyUserNamesAndUrls = argc > 4 && std::strcmp(argv[4], "--names-urls") == 0;

    KeyTable table;
    for (int i = 1; i <= KeyTable::capacity; ++i) {
        KeyRecord record;
        const QByteArray number = "key " + QByteArray::number(i) + ' ';
        const auto filled = [&](char c) { return (number + QByteArray(length, c)).left(length); };
        record.name = onlyUserNamesAndUrls ? number.trimmed() : filled('k');
        record.userName = filled('u');
        record.url = filled('w');
        record.description = onlyUserNamesAndUrls ? QByteArray("notes") : filled('d');
        record.password = onlyUserNamesAndUrls ? QByteArray("secret") : filled('p');
        table.addKey(record);
    }
    const QByteArray digest = hashPassword(password);
    QString error;
    if (!writeKeyRing(QString::fromLocal8Bit(argv[1]), table, digest, MasterSecret{password, digest}, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
