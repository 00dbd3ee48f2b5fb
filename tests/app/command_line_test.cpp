#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(CommandLineTailTest, SkipsTheProgramNameAndTheBlanksAfterIt) {
  struct Case {
    const char* line;
    const char* tail;
  };
  const Case cases[] = {
      {"vantrel.exe", ""},
      {"vantrel.exe   ", ""},
      {"vantrel.exe a b", "a b"},
      {"vantrel.exe \t -x  ", "-x  "},
      {"\"C:\\Program Files\\vantrel.exe\" arg", "arg"},
      {"\"C:\\Program Files\\vantrel.exe\"", ""},
      {"\"unclosed quote arg", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(CommandLineTail(c.line), c.tail);
  }
}

}  // namespace
}  // namespace vantrel
