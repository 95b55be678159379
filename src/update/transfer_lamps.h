#pragma once

#include <QList>
#include <QString>

namespace tessary {

// The transfer's states, numbered as the window's lamps expect them.
enum class TransferState {
    Resolving = 1,
    Resolved = 2,
    Sending = 5,
    Sent = 6,
    Receiving = 7,
    Disconnecting = 9,
    Disconnected = 10,
};

inline constexpr int lampCount = 7;

struct LampChange
{
    enum class Colour { Grey, Blue, Red };
    int lamp = 0; // 0 to 6
    Colour colour = Colour::Grey;

    friend bool operator==(const LampChange&, const LampChange&) = default;
};

// Which lamps a state refills; a state number the lamps do not know refills none.
QList<LampChange> lampChanges(int state);

// The caption beside a lamp: "Connecting to Server" ... "Error".
QString lampLabel(int lamp);

} // namespace tessary
