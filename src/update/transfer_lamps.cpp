#include "update/transfer_lamps.h"

#include <array>

namespace tessary {

QList<LampChange> lampChanges(int state)
{
    using C = LampChange::Colour;
    switch (state) {
    case 1:
        return {{0, C::Blue}};
    case 2:
        return {{0, C::Grey}};
    case 5:
        return {{1, C::Blue}};
    case 6:
        return {{1, C::Grey}, {2, C::Blue}};
    case 7:
        return {{2, C::Grey}, {3, C::Blue}};
    case 9:
        return {{3, C::Grey}, {4, C::Blue}};
    case 10:
        return {{4, C::Grey}, {5, C::Red}};
    default:
        return {};
    }
}

QString lampLabel(int lamp)
{
    static const std::array<const char*, lampCount> labels{
        "Connecting to Server", "Requesting File", "Waiting For Responce", "Downloading",
        "Disconnecting",        "Finished",        "Error",
    };
    if (lamp < 0 || lamp >= lampCount)
        return {};
    return QString::fromLatin1(labels[static_cast<std::size_t>(lamp)]);
}

} // namespace tessary
