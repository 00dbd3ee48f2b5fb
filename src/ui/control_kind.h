#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel {

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

}  // namespace vantrel
