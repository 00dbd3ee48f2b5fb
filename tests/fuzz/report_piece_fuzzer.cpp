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

// Whether the character at `at` fits in `room` bytes read either way: as the converter reads it,
// and in UTF-8 also as a start byte with every continuation byte it claims, a run the program
// may keep together though it is ill-formed.
bool Fits(const CodePage& page, std::string_view text, std::size_t at, std::size_t room) {
  std::size_t needed = 0;
  return ModelCharacterLength(page, text, at) <= room &&
         (page.encoding != Encoding::Utf8 || Utf8Claimed(text, at, needed) <= room);
}

// Whether the `length` bytes at `at` are one character, read one way or the other.
bool IsOneCharacter(const CodePage& page, std::string_view text, std::size_t at,
                    std::size_t length) {
  std::size_t needed = 0;
  return length == ModelCharacterLength(page, text, at) ||
         (page.encoding == Encoding::Utf8 && length == Utf8Claimed(text, at, needed));
}

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
    if (piece.bytes.data() == rest.data()) {
      Require(piece.bytes.size() == piece.consumed, "a piece is the bytes it takes, unchanged");
      Require(piece.consumed == rest.size() ||
                  !Fits(page, text, at + piece.consumed, wanted - piece.consumed),
              "a piece ends at the last character end that fits");
    } else {
      Require(piece.bytes == "?", "a character that does not fit its request arrives as ?");
      Require(piece.consumed > wanted && !Fits(page, text, at, wanted),
              "only a character longer than its request is given as ?");
      Require(IsOneCharacter(page, text, at, piece.consumed),
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
