// Any bytes as a user list: no crash, at most the maximum of names, and no name that could not be written back.
#include "storage/user_list.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessary;
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList names = parseUserList(input, 7);
    if (names.size() > 7)
        std::abort();
    for (const QString& name : names) {
        if (name.isEmpty() || name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
            std::abort();
    }
    return 0;
}
