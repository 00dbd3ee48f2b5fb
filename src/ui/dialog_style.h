#pragma once

#include <cstdint>

namespace vantrel {

// Win32 window and dialog style bits, show commands and WM_SIZE types the engine decides on.
// The Win32 layer checks them against <windows.h>.
inline constexpr std::uint32_t kStyleVisible = 0x10000000;       // WS_VISIBLE
inline constexpr std::uint32_t kStyleMinimize = 0x20000000;      // WS_MINIMIZE
inline constexpr std::uint32_t kStyleMaximize = 0x01000000;      // WS_MAXIMIZE
inline constexpr std::uint32_t kDialogSystemModal = 0x00000002;  // DS_SYSMODAL
inline constexpr std::uint32_t kDialogCentre = 0x00000800;       // DS_CENTER

// WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK
inline constexpr std::uint32_t kDefaultDialogStyle = 0x80C000D4;
// DS_3DLOOK | DS_NOFAILCREATE | DS_SETFONT: the template always carries a font.
inline constexpr std::uint32_t kAlwaysDialogStyle = 0x00000054;

inline constexpr std::int32_t kShowMinimized = 6;  // SW_MINIMIZE
inline constexpr std::int32_t kShowNormal = 5;     // SW_SHOW
inline constexpr std::int32_t kShowMaximized = 3;  // SW_SHOWMAXIMIZED

inline constexpr std::uint32_t kSizeRestored = 0;   // SIZE_RESTORED
inline constexpr std::uint32_t kSizeMinimized = 1;  // SIZE_MINIMIZED
inline constexpr std::uint32_t kSizeMaximized = 2;  // SIZE_MAXIMIZED

inline constexpr std::int32_t kCentred = -1;  // an x or y that asks for a centred dialog

// The style written into a dialog's template. A dialog is always created hidden (ShowModal
// shows it) and never system-modal.
constexpr std::uint32_t DialogStyle(std::uint32_t style, std::int32_t x, std::int32_t y) {
  std::uint32_t result = style == 0 ? kDefaultDialogStyle : style;
  result |= kAlwaysDialogStyle;
  result &= ~(kStyleVisible | kDialogSystemModal);
  if (x == kCentred || y == kCentred) result |= kDialogCentre;
  return result;
}

// How ShowModal shows a dialog, from the style NewDialog was given.
constexpr std::int32_t ShowCommandFor(std::uint32_t style) {
  if (style & kStyleMaximize) return kShowMaximized;
  if (style & kStyleMinimize) return kShowMinimized;
  return kShowNormal;
}

// The WM_SIZE type that matches a show command.
constexpr std::uint32_t SizeTypeFor(std::int32_t showCommand) {
  if (showCommand == kShowMaximized) return kSizeMaximized;
  if (showCommand == kShowMinimized) return kSizeMinimized;
  return kSizeRestored;
}

}  // namespace vantrel
