#include "ui/dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {
namespace {

std::uint32_t WordAt(const DialogTemplate& t, std::size_t offset) {
  return t.bytes[offset] | (std::uint32_t{t.bytes[offset + 1]} << 8);
}

std::uint32_t DoubleWordAt(const DialogTemplate& t, std::size_t offset) {
  return WordAt(t, offset) | (WordAt(t, offset + 2) << 16);
}

// The 16-bit units from `offset` up to and including the next 0 unit.
std::vector<std::uint32_t> UnitsAt(const DialogTemplate& t, std::size_t offset) {
  std::vector<std::uint32_t> units;
  do {
    units.push_back(WordAt(t, offset));
    offset += 2;
  } while (units.back() != 0 && offset < t.size);
  return units;
}

std::vector<std::uint32_t> UnitsOf(const std::string& text) {
  std::vector<std::uint32_t> units(text.begin(), text.end());
  for (auto& unit : units) unit &= 0xFF;
  units.push_back(0);
  return units;
}

constexpr std::size_t kTitleOffset = 22;

DialogTemplate WithTitle(const std::string& title, const DialogFont& font = {}) {
  return BuildDialogTemplate(title, 0, 0, 10, 10, 0, 0, font);
}

TEST(DialogStyleTest, DefaultsForcedBitsAndCentring) {
  struct Case {
    std::uint32_t style;
    std::int32_t x;
    std::int32_t y;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0, 100, 50, 0x80C000D4},
      {0, -1, 50, 0x80C008D4},
      {0, 100, -1, 0x80C008D4},
      {0x000A0000, -1, -1, 0x000A0854},
      {0x000A0000, 0, 0, 0x000A0054},
      // WS_VISIBLE and DS_SYSMODAL never reach the template.
      {0x90C80002, 5, 5, 0x80C80054},
      {0x10000000, 5, 5, 0x00000054},
      {0x00000002, -1, 5, 0x00000854},
      // Only exactly -1 centres.
      {0x00020000, -2, 65535, 0x00020054},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << std::hex << c.style << " at " << std::dec << c.x << "," << c.y);
    EXPECT_EQ(DialogStyle(c.style, c.x, c.y), c.expected);
  }
}

TEST(DialogStyleTest, ShowCommandComesFromTheStyleAsGiven) {
  EXPECT_EQ(ShowCommandFor(0), 5) << "SW_SHOW, though the default style is used";
  EXPECT_EQ(ShowCommandFor(0x000A0000), 5);
  EXPECT_EQ(ShowCommandFor(0x01000000), 3) << "WS_MAXIMIZE: SW_SHOWMAXIMIZED";
  EXPECT_EQ(ShowCommandFor(0x20000000), 6) << "WS_MINIMIZE: SW_MINIMIZE";
  EXPECT_EQ(ShowCommandFor(0x21000000), 3);
  EXPECT_EQ(SizeTypeFor(3), 2u);
  EXPECT_EQ(SizeTypeFor(6), 1u);
  EXPECT_EQ(SizeTypeFor(5), 0u);
}

TEST(DialogTemplateTest, FieldsInOrder) {
  const DialogFont font = MakeDialogFont("Courier", 8);
  const DialogTemplate t = BuildDialogTemplate("Vantrel v2.1", -1, -1, 370, 0x12345,
                                               DialogStyle(0x000A0000, -1, -1), 0x200, font);
  EXPECT_EQ(DoubleWordAt(t, 0), 0x000A0854u);
  EXPECT_EQ(DoubleWordAt(t, 4), 0x200u);
  EXPECT_EQ(WordAt(t, 8), 0u) << "no items";
  EXPECT_EQ(WordAt(t, 10), 0xFFFFu);
  EXPECT_EQ(WordAt(t, 12), 0xFFFFu);
  EXPECT_EQ(WordAt(t, 14), 370u);
  EXPECT_EQ(WordAt(t, 16), 0x2345u) << "low 16 bits";
  EXPECT_EQ(WordAt(t, 18), 0u) << "menu";
  EXPECT_EQ(WordAt(t, 20), 0u) << "class";
  EXPECT_EQ(UnitsAt(t, kTitleOffset), UnitsOf("Vantrel v2.1"));
  const std::size_t sizeOffset = kTitleOffset + 2 * 13;
  EXPECT_EQ(WordAt(t, sizeOffset), 8u);
  EXPECT_EQ(UnitsAt(t, sizeOffset + 2), UnitsOf("Courier"));
  EXPECT_EQ(t.size, sizeOffset + 2 + 2 * 8) << "nothing follows the face";
}

TEST(DialogTemplateTest, TitleUnits) {
  struct Case {
    std::string title;
    std::vector<std::uint32_t> units;
  };
  const Case cases[] = {
      {"", {0x20, 0}},
      {"\xA9\x80", {0xA9, 0x80, 0}},
      {std::string(300, 'T'), UnitsOf(std::string(256, 'T'))},
      {std::string(256, 'T'), UnitsOf(std::string(256, 'T'))},
      // A NUL would end the title early and shift the font fields.
      {std::string("Tab\tle\0hidden", 13), UnitsOf("Tab\tle")},
      {std::string("\0hidden", 7), {0x20, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const DialogTemplate t = WithTitle(c.title, MakeDialogFont("F", 9));
    EXPECT_EQ(UnitsAt(t, kTitleOffset), c.units);
    const std::size_t sizeOffset = kTitleOffset + 2 * c.units.size();
    EXPECT_EQ(WordAt(t, sizeOffset), 9u);
    EXPECT_EQ(UnitsAt(t, sizeOffset + 2), UnitsOf("F"));
  }
}

TEST(DialogTemplateTest, LongestTemplateFillsTheStorageExactly) {
  const DialogFont font = MakeDialogFont(std::string(40, 'f'), 264);
  EXPECT_EQ(WithTitle(std::string(256, 't'), font).size, kDialogTemplateCapacity);
  EXPECT_EQ(WithTitle(std::string(5000, 't'), font).size, kDialogTemplateCapacity);
  EXPECT_EQ(kDialogTemplateCapacity, 602u);
  EXPECT_EQ(alignof(DialogTemplate) % 4, 0u);
}

TEST(DialogFontTest, FaceAndSizeAreCut) {
  struct Case {
    std::string face;
    std::int32_t size;
    std::string keptFace;
    std::uint32_t keptSize;
  };
  const Case cases[] = {
      {"MS Sans Serif", 8, "MS Sans Serif", 8},
      {std::string(40, 'x'), 264, std::string(31, 'x'), 8},
      {std::string(31, 'x'), 255, std::string(31, 'x'), 255},
      {"", 256, "", 0},
      {"Courier", -1, "Courier", 255},
      {std::string("Cou\0rier", 8), 10, "Cou", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.face);
    const DialogFont font = MakeDialogFont(c.face, c.size);
    EXPECT_EQ(font.Face(), c.keptFace);
    EXPECT_EQ(font.face.back(), '\0');
    EXPECT_EQ(font.pointSize, c.keptSize);
  }
}

}  // namespace
}  // namespace vantrel
