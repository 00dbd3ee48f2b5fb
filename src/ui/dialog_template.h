#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/dialog_font.h"

// The dialog engine's own decisions, which need no window system: the style of a dialog and of
// each kind of control, how a dialog is shown, and the bytes of its in-memory template.
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

// What AddControl makes. The values are part of the calling convention.
enum class ControlKind : std::int32_t {
  ByClassName = 0,  // a window of the class the caller names, with the style as given
  PushButton = 1,
};

inline constexpr std::uint32_t kStyleChild = 0x40000000;              // WS_CHILD
inline constexpr std::uint32_t kStyleTabStop = 0x00010000;            // WS_TABSTOP
inline constexpr std::uint32_t kButtonDefault = 0x00000001;           // BS_DEFPUSHBUTTON
inline constexpr std::uint32_t kDefaultPushButtonStyle = 0x50010000;  // child, visible, tab stop
inline constexpr std::uint32_t kAlwaysPushButtonStyle = 0x50000000;   // child, visible

// The window a kind makes from AddControl's class name and style argument.
struct ControlPlan {
  std::string_view className;
  std::uint32_t style = 0;
  bool isDefaultButton = false;  // the dialog's default push button (DM_SETDEFID)
};

// Empty for a kind the engine does not build.
std::optional<ControlPlan> PlanControl(ControlKind kind, std::string_view className,
                                       std::uint32_t style);

inline constexpr std::size_t kDialogTitleLimit = 256;
// Header with menu and class (22 bytes), 256 title units and their end (514), point size (2),
// 31 face units and their end (64).
inline constexpr std::size_t kDialogTemplateCapacity = 602;

// An in-memory DLGTEMPLATE with no controls, little-endian, ready for
// CreateDialogIndirectParamA, which wants it on a DWORD boundary. The bytes ask for that, not
// the record: aligning a record less than its size_t needs (8 bytes on 64-bit hosts) is
// ill-formed.
struct DialogTemplate {
  alignas(4) std::array<std::uint8_t, kDialogTemplateCapacity> bytes{};
  std::size_t size = 0;
};

// `style` is written as given (see DialogStyle). Coordinates and sizes keep their low 16 bits.
// Each title byte becomes one 16-bit unit without code-page conversion; the title ends at its
// first NUL byte and is cut to 256 bytes; an empty title is written as one space.
DialogTemplate BuildDialogTemplate(std::string_view title, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, std::uint32_t style,
                                   std::uint32_t extendedStyle, const DialogFont& font);

}  // namespace vantrel
