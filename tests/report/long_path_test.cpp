#include "report/long_path.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(LongPathTest, EveryFormOfTheCurrentDirectoryBecomesAVerbatimPath) {
  struct Case {
    std::wstring_view directory, expected;
  };
  const Case cases[] = {
      {L"C:\\Mail\\Anne", L"\\\\?\\C:\\Mail\\Anne\\"},
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"\\\\server\\mail\\anne", L"\\\\?\\UNC\\server\\mail\\anne\\"},
      {L"\\\\?\\C:\\Mail", L"\\\\?\\C:\\Mail\\"},
      {L"\\\\.\\C:\\Mail", L"\\\\?\\C:\\Mail\\"},
  };
  for (const Case& c : cases) {
    WideText path;
    EXPECT_TRUE(LongPathDirectory(c.directory, path));
    EXPECT_TRUE(path.view() == c.expected) << std::string(c.directory.begin(), c.directory.end());
  }
  WideText path;
  EXPECT_FALSE(LongPathDirectory(L"", path));
  EXPECT_TRUE(path.empty());
}

}  // namespace
}  // namespace vantrel
