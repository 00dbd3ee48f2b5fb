#include "ui/dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vantrel {
namespace {

TEST(ControlKindTest, KindsAndTheirWindows) {
  struct Case {
    ControlKind kind;
    std::string className;
    std::uint32_t style;
    std::string expectedClass;
    std::uint32_t expectedStyle;
    bool isDefault;
  };
  const Case cases[] = {
      {ControlKind::PushButton, "", 0, "BUTTON", 0x50010000, false},
      {ControlKind::PushButton, "", 1, "BUTTON", 0x50000001, true},
      {ControlKind::PushButton, "EDIT", 0x00010000, "BUTTON", 0x50010000, false},
      {ControlKind::PushButton, "", 0x00010001, "BUTTON", 0x50010001, true},
      {ControlKind::PushButton, "", 0x00800000, "BUTTON", 0x50800000, false},
      // Taken exactly as given, child and visible bits included.
      {ControlKind::ByClassName, "richedit", 0x50311084, "richedit", 0x50311084, false},
      {ControlKind::ByClassName, "EDIT", 0x00800080, "EDIT", 0x00800080, false},
      {ControlKind::ByClassName, "BUTTON", 1, "BUTTON", 1, false},
      {ControlKind::ByClassName, "STATIC", 0, "STATIC", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << static_cast<int>(c.kind) << " " << c.className << " " << std::hex << c.style);
    const auto plan = PlanControl(c.kind, c.className, c.style);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->className, c.expectedClass);
    EXPECT_EQ(plan->style, c.expectedStyle);
    EXPECT_EQ(plan->isDefaultButton, c.isDefault);
  }
  EXPECT_EQ(static_cast<int>(ControlKind::ByClassName), 0);
  EXPECT_EQ(static_cast<int>(ControlKind::PushButton), 1);
}

TEST(ControlKindTest, KindsNotBuiltMakeNothing) {
  EXPECT_FALSE(PlanControl(static_cast<ControlKind>(2), "BUTTON", 0).has_value());
  EXPECT_FALSE(PlanControl(static_cast<ControlKind>(-1), "BUTTON", 0).has_value());
}

}  // namespace
}  // namespace vantrel
