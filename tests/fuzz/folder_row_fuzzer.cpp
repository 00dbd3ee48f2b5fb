// A folder file's header bytes, its name, its size and the code page, from anyone's mail
// directory, into a report row. Header texts are taken as they are, TAB, CR and LF included, so
// the row is not cut at its separators; it is checked against what the inputs must give: the
// header texts where they lie, a name column of exactly 12 bytes and a TAB, the size's grouped
// digits, no column that ends inside a character of the code page, CR LF at the end, and the
// report before the row left as it was.
//
// Input: the code page (one byte, see code_pages.h); the size (8 bytes, little-endian); the
// name's length (one byte) and bytes; the rest is the start of the folder file, as much of its
// 128-byte header as there is.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "code_pages.h"
#include "fuzz_input.h"
#include "report/folder_header.h"
#include "report/folder_report.h"

namespace vantrel::fuzz {
namespace {

// The NUL-terminated text at `offset`, never taking the header's last byte.
std::string_view HeaderText(const FolderHeader& header, std::size_t offset) {
  const std::string_view bytes(reinterpret_cast<const char*>(header.bytes.data()), 127);
  const std::string_view from = bytes.substr(offset);
  return from.substr(0, from.find('\0'));
}

// At least two digits ("00", "07"), grouped in threes, right-aligned in 12 bytes or whole.
std::string GroupedDigits(std::uint64_t size) {
  std::string digits = (size < 10 ? "0" : "") + std::to_string(size);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits.size() < 12 ? std::string(12 - digits.size(), ' ') + digits : digits;
}

// True when a character of `text` read from its start begins at `at`.
bool StartsCharacter(const CodePage& page, std::string_view text, std::size_t at) {
  std::size_t next = 0;
  while (next < at) next += ModelCharacterLength(page, text, next);
  return next == at;
}

// Where the character that holds the byte before `end` starts, reading `text` from its start.
std::size_t CharacterStartBefore(const CodePage& page, std::string_view text, std::size_t end) {
  std::size_t start = 0;
  for (std::size_t next = 0; next < end; next += ModelCharacterLength(page, text, next)) {
    start = next;
  }
  return start;
}

// Whether `shown` is how a column of at most `limit` bytes must show `source`: its first
// `limit` bytes as they are, or, where that cuts a character (or `source` itself ends inside
// one), the bytes before that character, then "?" for the bytes of it that the column holds.
bool ShownAs(const CodePage& page, std::string_view source, std::size_t limit,
             std::string_view shown) {
  const std::string_view text = source.substr(0, limit);
  const bool cut = text.size() < source.size() ? !StartsCharacter(page, source, text.size())
                                               : EndsInsideCharacter(page, source);
  if (shown == text) return !cut;
  if (!shown.ends_with('?')) return false;
  const std::size_t kept = shown.size() - 1;
  if (kept >= text.size() || !text.starts_with(shown.substr(0, kept))) return false;
  if (cut) return kept == CharacterStartBefore(page, source, text.size());
  // Not cut as the converter reads it, but an ill-formed UTF-8 run that the column or the
  // text's end cuts short may give way as a whole: its start byte and continuation bytes only.
  if (page.encoding != Encoding::Utf8) return false;
  std::size_t needed = 0;
  const std::size_t claimed = Utf8Claimed(source, kept, needed);
  return kept + claimed > text.size() || (kept + claimed == source.size() && claimed < needed);
}

// Every separator of `row` starts a character when the row is read from its start, as the
// control reads it.
bool SeparatorsStandAlone(const CodePage& page, std::string_view row,
                          std::initializer_list<std::size_t> separators) {
  std::vector<bool> starts(row.size() + 1);
  for (std::size_t at = 0; at < row.size(); at += ModelCharacterLength(page, row, at)) {
    starts[at] = true;
  }
  starts[row.size()] = true;
  return std::all_of(separators.begin(), separators.end(),
                     [&](std::size_t at) { return starts[at] && starts[at + 1]; });
}

void Check(InputReader& input) {
  const CodePage page = ChooseCodePage(input.Byte());
  // Files sizes of 2^63 bytes and more do not exist on Windows.
  const std::uint64_t size = input.Unsigned(8) & 0x7FFF'FFFF'FFFF'FFFF;
  const std::string_view name = input.Bytes(input.Byte());
  FolderHeader header;  // a short file: the rest reads as 0
  const std::string_view start = input.Bytes(128);
  std::copy(start.begin(), start.end(), header.bytes.begin());

  const std::string_view identifier = FolderIdentifier(header);
  const std::string_view friendlyName = FriendlyName(header);
  Require(identifier == HeaderText(header, 86), "the identifier: from offset 86 to its NUL");
  Require(friendlyName == HeaderText(header, 0), "the friendly name: from offset 0 to its NUL");

  constexpr std::string_view kBefore = "Foldername  \tIdentifier\r\n";
  FolderReport report;
  report.Append(kBefore);
  ErrorRecord errors;
  AppendFolderRow(
      report, {.name = name, .identifier = identifier, .size = size, .friendlyName = friendlyName},
      errors, page.characters);

  const std::string_view all = report.view();
  Require(all.starts_with(kBefore), "the report before the row is kept");
  const std::string_view row = all.substr(kBefore.size());
  Require(row.size() >= 12 + 1 + 1 + 12 + 1 + 2, "a whole row");
  Require(row[12] == '\t', "the name column is 12 bytes and a TAB");
  Require(row.ends_with("\r\n"), "the row ends in CR LF");

  const std::string_view nameColumn = row.substr(0, 12);
  bool nameShown = false;
  for (std::size_t padding = 0; padding <= 12 && !nameShown; ++padding) {
    const std::string_view content = nameColumn.substr(0, 12 - padding);
    nameShown = nameColumn.substr(12 - padding).find_first_not_of(' ') == std::string::npos &&
                ShownAs(page, name, 12, content);
  }
  Require(nameShown, "the name column: the name's first 12 bytes, whole characters, padded");

  // Between the name column's TAB and the CR LF: identifier, TAB, size, TAB, friendly name.
  const std::string middle(row.substr(13, row.size() - 13 - 2));
  const std::string sizeColumn = "\t" + GroupedDigits(size) + "\t";
  bool found = false;
  for (std::size_t at = middle.find(sizeColumn); at != std::string::npos && !found;
       at = middle.find(sizeColumn, at + 1)) {
    const std::string_view shownIdentifier = std::string_view(middle).substr(0, at);
    const std::string_view shownFriendlyName =
        std::string_view(middle).substr(at + sizeColumn.size());
    if (!ShownAs(page, identifier, identifier.size(), shownIdentifier) ||
        !ShownAs(page, friendlyName, friendlyName.size(), shownFriendlyName)) {
      continue;
    }
    Require(SeparatorsStandAlone(
                page, row,
                {12, 13 + at, 13 + at + sizeColumn.size() - 1, row.size() - 2, row.size() - 1}),
            "every separator is a character of its own when the row is read from its start");
    found = true;
  }
  Require(found,
          "identifier and friendly name as they are, but for a cut last character shown as ?, "
          "around the size's grouped digits");
}

}  // namespace
}  // namespace vantrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::fuzz::InputReader input(data, size);
  vantrel::fuzz::Check(input);
  return 0;
}
