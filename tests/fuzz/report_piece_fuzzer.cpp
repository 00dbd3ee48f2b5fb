// Any text cut into the pieces the report control asks for, of any sizes. Each piece is
// converted on its own, so each must end between two characters; put together, the pieces
// must give the text back, but for a character longer than its request, which arrives as "?".
//
// Input: the code page (one byte, see code_pages.h); the number of request sizes (one byte)
// and the sizes (one byte each, 255 standing for 65,536, taken in turn again and again); the
// rest is the text.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "code_pages.h"
#include "fuzz_input.h"
#include "report/ansi_characters.h"

namespace vantrel::fuzz {
namespace {

void Check(InputReader& input) {
  const CodePage page = ChooseCodePage(input.Byte());
  std::vector<std::size_t> requests;
  for (std::uint8_t count = input.Byte(); count > 0; --count) {
    const std::uint8_t request = input.Byte();
    requests.push_back(request == 255 ? 65536 : request);
  }
  if (requests.empty()) requests.push_back(4096);
  const std::string_view text = input.Rest();

  // Where the characters of the whole text start, read from its start as the control reads it.
  std::vector<bool> starts(text.size() + 1);
  for (std::size_t at = 0; at < text.size(); at += ModelCharacterLength(page, text, at)) {
    starts[at] = true;
  }
  starts[text.size()] = true;
  // A character's bytes: at most 2 in a double-byte code page, 4 in UTF-8.
  const std::size_t longest = page.encoding == Encoding::SingleByte   ? 1
                              : page.encoding == Encoding::DoubleByte ? 2
                                                                      : 4;

  if (std::all_of(requests.begin(), requests.end(), [](std::size_t r) { return r == 0; })) {
    const ReportPiece piece = NextReportPiece(text, 0, page.characters);
    Require(piece.bytes.empty() && piece.consumed == 0, "nothing for a request of 0 bytes");
    return;
  }

  // The pieces follow each other through the text, each taking `consumed` bytes of it.
  std::string_view rest = text;
  for (std::size_t next = 0; !rest.empty(); ++next) {
    const std::size_t wanted = requests[next % requests.size()];
    const std::size_t at = text.size() - rest.size();
    const ReportPiece piece = NextReportPiece(rest, wanted, page.characters);
    if (wanted == 0) {
      Require(piece.bytes.empty() && piece.consumed == 0, "nothing for a request of 0 bytes");
      continue;
    }
    Require(!piece.bytes.empty() && piece.consumed > 0,
            "a piece for every request while text is left: an empty one ends the text");
    Require(piece.bytes.size() <= wanted, "no piece is longer than its request");
    Require(piece.consumed <= rest.size(), "no piece takes more than is left");
    Require(starts[at + piece.consumed], "every piece ends between two characters");
    const std::string_view taken = rest.substr(0, piece.consumed);
    if (piece.bytes.data() == rest.data()) {
      Require(piece.bytes.size() == piece.consumed, "a piece is the bytes it takes, unchanged");
      // As much as fits: the next character would not.
      Require(piece.consumed == rest.size() || wanted - piece.consumed < longest,
              "a piece takes as many whole characters as fit");
      if (page.encoding != Encoding::Utf8 && piece.consumed < rest.size()) {
        Require(piece.consumed + ModelCharacterLength(page, text, at + piece.consumed) > wanted,
                "a piece takes as many whole characters as fit");
      }
    } else {
      Require(piece.bytes == "?", "a character that does not fit its request arrives as ?");
      Require(piece.consumed > wanted && piece.consumed <= longest,
              "only a character longer than its request is given as ?");
      // The bytes given up are one character: a lead byte and its trail, or a UTF-8 start
      // byte and continuation bytes.
      Require(page.encoding == Encoding::DoubleByte
                  ? piece.consumed == ModelCharacterLength(page, text, at)
                  : InRange(taken[0], 0xC2, 0xF4) &&
                        std::all_of(taken.begin() + 1, taken.end(),
                                    [](char byte) { return InRange(byte, 0x80, 0xBF); }),
              "what arrives as ? is a single character");
    }
    rest.remove_prefix(piece.consumed);
  }
}

}  // namespace
}  // namespace vantrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::fuzz::InputReader input(data, size);
  vantrel::fuzz::Check(input);
  return 0;
}
