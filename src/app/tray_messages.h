#pragma once

#include <QPoint>
#include <QtGlobal>

namespace tessary {

// The mouse messages the notification area reports for the tray icon.
namespace TrayMessage {
inline constexpr int MouseMove = 512;
inline constexpr int LeftButtonDown = 513;
inline constexpr int LeftButtonUp = 514;
inline constexpr int LeftButtonDoubleClick = 515;
inline constexpr int RightButtonDown = 516;
inline constexpr int RightButtonUp = 517;
inline constexpr int RightButtonDoubleClick = 518;
inline constexpr int MiddleButtonDown = 519;
} // namespace TrayMessage

enum class TrayAction
{
    Nothing,
    MenuWithDefault,    // the pop-up menu, its first item bold
    MenuWithoutDefault, // the pop-up menu, no bold item
    FirstItem,          // the first item's action, without the menu
};

TrayAction decodeTrayMessage(int message);

// A button pressed on the icon: its down message (513 or 516), when (milliseconds on a steady clock) and where.
struct TrayPress
{
    int message = 0;
    qint64 time = 0;
    QPoint position;
};

// The double-click message (515 or 518) when `second` completes a double click begun by `first`: the same button,
// within `interval` milliseconds and `distance` pixels either way. 0 otherwise.
int trayDoubleClick(const TrayPress& first, const TrayPress& second, int interval, int distance);

} // namespace tessary
