#pragma once

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

} // namespace tessary
