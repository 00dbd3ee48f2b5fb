#include "ui/control_kind.h"

namespace vantrel {

std::optional<ControlPlan> PlanControl(ControlKind kind, std::string_view className,
                                       std::uint32_t style) {
  switch (kind) {
    case ControlKind::ByClassName:
      return ControlPlan{className, style, false};
    case ControlKind::PushButton: {
      const std::uint32_t buttonStyle =
          (style == 0 ? kDefaultPushButtonStyle : style) | kAlwaysPushButtonStyle;
      return ControlPlan{"BUTTON", buttonStyle, (buttonStyle & kButtonDefault) != 0};
    }
  }
  return std::nullopt;
}

}  // namespace vantrel
