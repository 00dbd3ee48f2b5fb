#include "ui/dialog_template.h"

#include <algorithm>

namespace vantrel {
namespace {

class TemplateWriter {
 public:
  explicit TemplateWriter(DialogTemplate& target) : target_(target) {}

  void Word(std::uint32_t value) {
    target_.bytes[target_.size++] = static_cast<std::uint8_t>(value & 0xFF);
    target_.bytes[target_.size++] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  }
  void Word(std::int32_t value) { Word(static_cast<std::uint32_t>(value)); }
  void DoubleWord(std::uint32_t value) {
    Word(value & 0xFFFF);
    Word(value >> 16);
  }
  // One unit per byte, zero-extended, then the terminating 0 unit.
  void Units(std::string_view text) {
    for (const char byte : text) Word(std::uint32_t{static_cast<unsigned char>(byte)});
    Word(0u);
  }

 private:
  DialogTemplate& target_;
};

}  // namespace

DialogTemplate BuildDialogTemplate(std::string_view title, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, std::uint32_t style,
                                   std::uint32_t extendedStyle, const DialogFont& font) {
  // A NUL inside the title would end it early in the template, and the platform would then
  // read the rest of the title as the font.
  title = Prefix(title, std::min(title.find('\0'), kDialogTitleLimit));
  if (title.empty()) title = " ";

  DialogTemplate result;
  TemplateWriter out(result);
  out.DoubleWord(style);
  out.DoubleWord(extendedStyle);
  out.Word(0u);  // no items: controls are added as windows later
  out.Word(x);
  out.Word(y);
  out.Word(width);
  out.Word(height);
  out.Word(0u);  // no menu
  out.Word(0u);  // the predefined dialog class
  out.Units(title);
  out.Word(font.pointSize);
  out.Units(font.Face());
  return result;
}

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
