// Any title, font, position, size and style through the dialog template builder. The template
// is read back the way the platform reads a DLGTEMPLATE, so a field out of place, a text that
// does not come back as UTF-16, or a byte written past the template's end is a finding.
//
// Input: x, y, width, height, style, extended style and point size as 32-bit little-endian
// numbers; the face's length (one byte) and bytes; the rest is the title.
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "ui/dialog_template.h"

namespace vantrel::fuzz {
namespace {

class TemplateReader {
 public:
  explicit TemplateReader(const DialogTemplate& t) : t_(t) {}

  std::uint32_t Word() {
    Require(at_ + 2 <= t_.size, "a field lies within the template's size");
    const std::uint32_t value = t_.bytes[at_] | (std::uint32_t{t_.bytes[at_ + 1]} << 8);
    at_ += 2;
    return value;
  }
  std::uint32_t DoubleWord() {
    const std::uint32_t low = Word();
    return low | (Word() << 16);
  }
  // A NUL-terminated UTF-16 text, decoded to code points; a lone surrogate is a finding.
  std::vector<std::uint32_t> Text() {
    std::vector<std::uint32_t> codePoints;
    for (std::uint32_t unit = Word(); unit != 0; unit = Word()) {
      Require(unit < 0xDC00 || unit > 0xDFFF, "no lone trail surrogate");
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        const std::uint32_t trail = Word();
        Require(trail >= 0xDC00 && trail <= 0xDFFF, "a lead surrogate has its trail");
        unit = 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00);
      }
      codePoints.push_back(unit);
    }
    return codePoints;
  }
  std::size_t at() const { return at_; }

 private:
  const DialogTemplate& t_;
  std::size_t at_ = 0;
};

std::vector<std::uint32_t> AsCodePoints(std::string_view text) {
  std::vector<std::uint32_t> codePoints;
  for (const char byte : text) codePoints.push_back(static_cast<unsigned char>(byte));
  return codePoints;
}

// A byte text as the template promises to carry it: up to its first NUL, cut to `limit`
// bytes, each byte the code point of the same value.
std::vector<std::uint32_t> Expected(std::string_view text, std::size_t limit) {
  return AsCodePoints(text.substr(0, std::min(text.find('\0'), limit)));
}

void CheckStyle(std::uint32_t given, std::int32_t x, std::int32_t y, std::uint32_t style) {
  Require((style & 0x54) == 0x54, "DS_3DLOOK, DS_NOFAILCREATE and DS_SETFONT always set");
  Require((style & 0x10000002) == 0, "never WS_VISIBLE or DS_SYSMODAL");
  Require(((style & 0x800) != 0) ==
              (((given == 0 ? 0x80C000D4u : given) & 0x800) != 0 || x == -1 || y == -1),
          "DS_CENTER where asked for, or for x or y of -1");
  const std::uint32_t kept = ~std::uint32_t{0x10000856};
  Require((style & kept) == ((given == 0 ? 0x80C000D4u : given) & kept),
          "every other bit as given, or the default style for 0");
}

void Check(InputReader& input) {
  const auto x = static_cast<std::int32_t>(input.Unsigned(4));
  const auto y = static_cast<std::int32_t>(input.Unsigned(4));
  const auto width = static_cast<std::int32_t>(input.Unsigned(4));
  const auto height = static_cast<std::int32_t>(input.Unsigned(4));
  const auto givenStyle = static_cast<std::uint32_t>(input.Unsigned(4));
  const auto extendedStyle = static_cast<std::uint32_t>(input.Unsigned(4));
  const auto pointSize = static_cast<std::int32_t>(input.Unsigned(4));
  const std::string_view face = input.Bytes(input.Byte());
  const std::string_view title = input.Rest();

  // As NewDialog builds it.
  const std::uint32_t style = DialogStyle(givenStyle, x, y);
  CheckStyle(givenStyle, x, y, style);
  const DialogFont font = MakeDialogFont(face, pointSize);
  const DialogTemplate t =
      BuildDialogTemplate(title, x, y, width, height, style, extendedStyle, font);

  Require(reinterpret_cast<std::uintptr_t>(t.bytes.data()) % 4 == 0,
          "the template starts on a DWORD boundary");
  Require(t.size <= 602, "the template fits its storage");
  for (std::size_t i = t.size; i < t.bytes.size(); ++i) {
    Require(t.bytes[i] == 0, "nothing is written past the template's size");
  }

  TemplateReader read(t);
  const std::uint32_t headStyle = read.DoubleWord();
  Require(headStyle == style, "style as given");
  Require((headStyle & 0xFFFF) != 1 || (headStyle >> 16) != 0xFFFF,
          "the platform cannot take it for a DLGTEMPLATEEX");
  Require(read.DoubleWord() == extendedStyle, "extended style as given");
  Require(read.Word() == 0, "no items");
  Require(read.Word() == (static_cast<std::uint32_t>(x) & 0xFFFF), "x: its low 16 bits");
  Require(read.Word() == (static_cast<std::uint32_t>(y) & 0xFFFF), "y: its low 16 bits");
  Require(read.Word() == (static_cast<std::uint32_t>(width) & 0xFFFF), "cx: its low 16 bits");
  Require(read.Word() == (static_cast<std::uint32_t>(height) & 0xFFFF), "cy: its low 16 bits");
  Require(read.Word() == 0, "no menu");
  Require(read.Word() == 0, "the predefined dialog class");
  std::vector<std::uint32_t> expectedTitle = Expected(title, 256);
  if (expectedTitle.empty()) expectedTitle = {0x20};
  Require(read.Text() == expectedTitle, "the title, up to its NUL and 256 bytes, or a space");
  // DS_SETFONT is always set, so the platform reads a point size and a face next.
  Require(read.Word() == (static_cast<std::uint32_t>(pointSize) & 0xFF),
          "the point size's low 8 bits");
  Require(read.Text() == Expected(face, 31), "the face, up to its NUL and 31 bytes");
  Require(AsCodePoints(font.Face()) == Expected(face, 31), "the font keeps the face it was given");
  Require(read.at() == t.size, "nothing follows the face");
}

}  // namespace
}  // namespace vantrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::fuzz::InputReader input(data, size);
  vantrel::fuzz::Check(input);
  return 0;
}
