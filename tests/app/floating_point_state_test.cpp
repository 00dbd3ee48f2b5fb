#include "app/floating_point_state.h"

#include <gtest/gtest.h>

#include <cfenv>

namespace vantrel {
namespace {

// Whatever a call inside the scope does to rounding, exception flags or the x87 control word,
// the program's own state is back afterwards.
TEST(SavedFloatingPointStateTest, PutsBackRoundingFlagsAndControlWord) {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_INEXACT);
  const std::uint16_t controlWord = X87ControlWord();
  {
    const SavedFloatingPointState saved;
    std::fesetround(FE_UPWARD);
    std::feclearexcept(FE_INEXACT);
    std::feraiseexcept(FE_DIVBYZERO);
    LoadX87ControlWord(0x0C7F);  // round toward zero, as a careless DLL might leave it
  }
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_TRUE(std::fetestexcept(FE_INEXACT));
  EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));
  EXPECT_EQ(X87ControlWord(), controlWord);
  std::feclearexcept(FE_ALL_EXCEPT);
}

// Saving must not mask exceptions that were unmasked, neither inside the scope nor after it.
TEST(SavedFloatingPointStateTest, LeavesExceptionMasksAsTheyWere) {
  const std::uint16_t before = X87ControlWord();
  std::feclearexcept(FE_ALL_EXCEPT);
  LoadX87ControlWord(0x133A);  // invalid operation and division by zero unmasked
  {
    const SavedFloatingPointState saved;
    EXPECT_EQ(X87ControlWord() & 0x3F, 0x3A);
  }
  EXPECT_EQ(X87ControlWord() & 0x3F, 0x3A);
  LoadX87ControlWord(before);
}

}  // namespace
}  // namespace vantrel
