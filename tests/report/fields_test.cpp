#include "report/fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "report/folder_report.h"
#include "support/refused_storage.h"

namespace vantrel {
namespace {

std::string FormatGrouped(std::int64_t value) {
  ErrorRecord errors;
  return std::string(vantrel::FormatGrouped(value, errors).view());
}
std::string FieldRight(std::string_view text, std::size_t width) {
  ErrorRecord errors;
  return std::string(vantrel::FieldRight(text, width, errors).view());
}
std::string FieldLeft(std::string_view text, std::size_t width) {
  ErrorRecord errors;
  return std::string(vantrel::FieldLeft(text, width, errors).view());
}
std::string FormatSizeColumn(std::uint64_t size) {
  ErrorRecord errors;
  return std::string(vantrel::FormatSizeColumn(size, errors).view());
}

struct GroupedCase {
  std::int64_t value;
  const char* grouped;
  const char* inTwelve;
};

TEST(FormatGroupedTest, ThirtyTwoBitRangeAndItsFieldOfTwelve) {
  const GroupedCase cases[] = {
      {0, "00", "          00"},
      {7, "07", "          07"},
      {42, "42", "          42"},
      {999, "999", "         999"},
      {1000, "1,000", "       1,000"},
      {123456, "123,456", "     123,456"},
      {999999, "999,999", "     999,999"},
      {1234567, "1,234,567", "   1,234,567"},
      {999999999, "999,999,999", " 999,999,999"},
      {1000000000, "1,000,000,000", "1,000,000,00"},
      {2147483647, "2,147,483,647", "2,147,483,64"},
      {-1, "-01", "         -01"},
      {-12, "-12", "         -12"},
      {-123456, "-123,456", "    -123,456"},
      {-1234567, "-1,234,567", "  -1,234,567"},
      {-2147483648LL, "-2,147,483,648", "-2,147,483,6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FormatGrouped(c.value), c.grouped);
    EXPECT_EQ(FieldRight(FormatGrouped(c.value), 12), c.inTwelve);
  }
}

TEST(FormatGroupedTest, SixtyFourBitValues) {
  EXPECT_EQ(FormatGrouped(3221225472LL), "3,221,225,472");
  EXPECT_EQ(FormatGrouped(INT64_MAX), "9,223,372,036,854,775,807");
  EXPECT_EQ(FormatGrouped(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST(FieldTest, PadsOrKeepsTheFirstBytes) {
  struct Case {
    std::string text;
    std::size_t width;
    std::string left;
    std::string right;
  };
  const Case cases[] = {
      {"", 12, "            ", "            "},
      {"ABCDEFGHIJ", 12, "ABCDEFGHIJ  ", "  ABCDEFGHIJ"},
      {"ABCDEFGHIJKL", 12, "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
      {"ABCDEFGHIJKLMNOP", 12, "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
      {"1,234,567,890", 12, "1,234,567,89", "1,234,567,89"},
      {"abc", 0, "", ""},
      {std::string("a\0\tb", 4), 6, std::string("a\0\tb  ", 6), std::string("  a\0\tb", 6)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FieldLeft(c.text, c.width), c.left);
    EXPECT_EQ(FieldRight(c.text, c.width), c.right);
  }
}

TEST(SizeColumnTest, ShowsEveryDigitOfLargeSizes) {
  EXPECT_EQ(FormatSizeColumn(0), "          00");
  EXPECT_EQ(FormatSizeColumn(1234), "       1,234");
  EXPECT_EQ(FormatSizeColumn(999999999), " 999,999,999");
  EXPECT_EQ(FormatSizeColumn(1000000000), "1,000,000,000");
  EXPECT_EQ(FormatSizeColumn(3221225472ULL), "3,221,225,472");
}

TEST(FieldTest, RefusedStorageGivesAnEmptyTextAndIsNoted) {
  using Make = Text (*)(ErrorRecord&);
  const Make makers[] = {
      [](ErrorRecord& errors) { return vantrel::FormatGrouped(1234, errors); },
      [](ErrorRecord& errors) { return vantrel::FieldRight("12", 12, errors); },
      [](ErrorRecord& errors) { return vantrel::FieldLeft("NAME.PMM", 12, errors); },
      [](ErrorRecord& errors) { return vantrel::FormatSizeColumn(5, errors); },
  };
  const testing::RefusedTextStorage refused;
  for (const Make make : makers) {
    ErrorRecord errors;
    EXPECT_TRUE(make(errors).empty());
    EXPECT_EQ(errors.error, kErrorTextStorage);
  }
}

}  // namespace
}  // namespace vantrel
