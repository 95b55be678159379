#include "ui/tray_messages.h"

namespace tessary {

TrayAction decodeTrayMessage(int message)
{
    switch (message) {
    case TrayMessage::LeftButtonDown:
        return TrayAction::MenuWithDefault;
    case TrayMessage::RightButtonDown:
        return TrayAction::MenuWithoutDefault;
    case TrayMessage::LeftButtonDoubleClick:
    case TrayMessage::RightButtonDoubleClick:
        return TrayAction::FirstItem;
    default:
        return TrayAction::Nothing;
    }
}

} // namespace tessary
