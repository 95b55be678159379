#include "app/tray_messages.h"

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

int trayDoubleClick(const TrayPress& first, const TrayPress& second, int interval, int distance)
{
    if (first.message != second.message ||
        (first.message != TrayMessage::LeftButtonDown && first.message != TrayMessage::RightButtonDown))
        return 0;
    const qint64 elapsed = second.time - first.time;
    const QPoint moved = second.position - first.position;
    if (elapsed < 0 || elapsed > interval || qAbs(moved.x()) > distance || qAbs(moved.y()) > distance)
        return 0;
    return first.message == TrayMessage::LeftButtonDown ? TrayMessage::LeftButtonDoubleClick
                                                        : TrayMessage::RightButtonDoubleClick;
}

} // namespace tessary
