#include "ui/about_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/refused_storage.h"

namespace vantrel {
namespace {

std::vector<std::string> SplitAtCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST(AboutTextTest, EightLinesEachEndedByCrLf) {
  ErrorRecord errors;
  const std::string text(AboutText(errors).view());
  EXPECT_EQ(errors.error, 0u);
  EXPECT_EQ(text.size(), 450u);
  EXPECT_EQ(text.find('\t'), std::string::npos);

  const std::vector<std::string> lines = SplitAtCrLf(text);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "A simple utility to list Pegasus Folder names in the current directory");
  EXPECT_EQ(lines[1] + lines[2] + lines[3], "");
  EXPECT_EQ(lines[4], "Freeware. Copyright (c) 2026 the Vantrel developers." +
                          std::string(17, ' ') + "Provided as is, with no warranty whatever.");
  EXPECT_EQ(lines[5], "Supplied by: The Vantrel Project, PO Box 2026, Example Town EX1 2VT." +
                          std::string(21, ' ') + "Postal enquiries only.");
  EXPECT_EQ(lines[6], "Email: vantrel-help@example.org");
  EXPECT_EQ(lines[7], "Web: https://vantrel.example.org/" + std::string(14, ' ') +
                          "Updates and more small tools for mail users are published there.");
}

TEST(AboutTextTest, RefusedStorageIsNoted) {
  const testing::RefusedTextStorage refused;
  ErrorRecord errors;
  EXPECT_TRUE(AboutText(errors).empty());
  EXPECT_EQ(errors.error, kErrorTextStorage);
}

}  // namespace
}  // namespace vantrel
