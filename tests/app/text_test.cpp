#include "app/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "support/refused_storage.h"

namespace vantrel {
namespace {

TEST(TextTest, HoldsAnyBytesAndEndsInANulForThePlatform) {
  Text text;
  EXPECT_STREQ(text.c_str(), "");
  EXPECT_TRUE(text.Append(std::string_view("a\0b", 3)));
  EXPECT_TRUE(text.Append(2, ' '));
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(text.Append("x"));
  EXPECT_EQ(text.size(), 1005u);
  EXPECT_EQ(text.view().substr(0, 6), std::string_view("a\0b  x", 6));
  EXPECT_EQ(text.c_str()[text.size()], '\0');

  text.Truncate(2);
  EXPECT_EQ(text.view(), std::string_view("a\0", 2));
  EXPECT_EQ(text.c_str()[2], '\0');
  const Text moved = std::move(text);
  EXPECT_EQ(moved.size(), 2u);
  EXPECT_TRUE(text.empty());
}

TEST(TextTest, RefusedStorageLeavesTheTextAsItWas) {
  Text kept;
  ASSERT_TRUE(kept.Append("kept"));
  ASSERT_TRUE(kept.Reserve(10));
  {
    const testing::RefusedTextStorage refused;
    Text fresh;
    EXPECT_FALSE(fresh.Append("x"));
    EXPECT_FALSE(fresh.Reserve(1));
    EXPECT_TRUE(fresh.empty());
    EXPECT_STREQ(fresh.c_str(), "");

    EXPECT_TRUE(kept.Append("123456")) << "room reserved earlier needs no storage";
    EXPECT_FALSE(kept.Append("!"));
    EXPECT_FALSE(kept.Append(3, '!'));
    EXPECT_EQ(kept.view(), "kept123456");
  }
  const std::size_t huge = std::numeric_limits<std::size_t>::max();
  EXPECT_FALSE(kept.Append(huge, 'x')) << "a size that overflows is refused, not wrapped";
  EXPECT_FALSE(kept.Reserve(huge));
  WideText wide;
  EXPECT_FALSE(wide.Reserve(huge / sizeof(wchar_t)));
  EXPECT_EQ(kept.view(), "kept123456");
}

}  // namespace
}  // namespace vantrel
