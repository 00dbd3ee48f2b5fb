#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/text.h"

namespace vantrel {

// Where the characters of the ANSI code page end. Single-byte code pages: after every byte.
// Double-byte ones (932, 936, 949, 950): a lead byte takes the next byte, whatever it is, as its
// trail; a trail byte may look like a lead byte, so characters are only ever told apart by
// walking from a known start. UTF-8 (65001): the first byte says how many continuation bytes
// (0x80-0xBF) follow; a stray continuation byte or a byte that starts nothing counts as a
// character of its own, and a sequence cut short by any other byte ends before that byte.
struct AnsiCharacters {
  // For each first byte, how many more bytes its character claims.
  std::array<std::uint8_t, 256> following{};
  // The bytes that follow must be continuation bytes (UTF-8); otherwise any byte may follow.
  bool continuationOnly = false;

  static AnsiCharacters SingleByte() { return {}; }

  static AnsiCharacters DoubleByte(const std::array<bool, 256>& leadBytes) {
    AnsiCharacters characters;
    for (std::size_t byte = 0; byte < 256; ++byte) characters.following[byte] = leadBytes[byte];
    return characters;
  }

  static AnsiCharacters Utf8() {
    AnsiCharacters characters;
    characters.continuationOnly = true;
    for (std::size_t byte = 0xC2; byte <= 0xF4; ++byte) {
      characters.following[byte] = byte < 0xE0 ? 1 : byte < 0xF0 ? 2 : 3;
    }
    return characters;
  }

  std::size_t Claimed(char first) const {
    return 1u + following[static_cast<unsigned char>(first)];
  }
  bool Follows(char byte) const {
    return !continuationOnly || (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
  }
};

// The bytes of the character that starts at `at`: at least 1 and never past the text's end
// (0 only when `at` is at or past the end).
inline std::size_t CharacterLength(std::string_view text, std::size_t at,
                                   const AnsiCharacters& characters) {
  if (at >= text.size()) return 0;
  const std::size_t claimed = characters.Claimed(text[at]);
  std::size_t length = 1;
  while (length < claimed && at + length < text.size() && characters.Follows(text[at + length])) {
    ++length;
  }
  return length;
}

// The longest start of `text`, at most `limit` bytes, that ends between two characters. Whether
// a character that the text's own end cuts short counts as one is the caller's to say.
inline std::size_t CharactersWithin(std::string_view text, std::size_t limit,
                                    const AnsiCharacters& characters, bool countCutLast) {
  if (limit > text.size()) limit = text.size();
  std::size_t end = 0;
  while (end < limit) {
    const std::size_t length = CharacterLength(text, end, characters);
    if (end + length > limit) break;
    if (!countCutLast && end + length == text.size() && length < characters.Claimed(text[end])) {
      break;
    }
    end += length;
  }
  return end;
}

// The longest start of `text`, at most `limit` bytes, that ends between two characters. A
// character that the text's own end cuts short counts as a character.
inline std::size_t WholeCharacters(std::string_view text, std::size_t limit,
                                   const AnsiCharacters& characters) {
  return CharactersWithin(text, limit, characters, true);
}

// Like WholeCharacters, but a character that the text's end cuts short is left out: what a
// column can show of `text` without half a character at its end.
inline std::size_t CompleteCharacters(std::string_view text, std::size_t limit,
                                      const AnsiCharacters& characters) {
  return CharactersWithin(text, limit, characters, false);
}

// A text as a column of at most `limit` bytes shows it: its complete characters, then "?" for
// the bytes of a character the column or the text's end cuts, which shown as they are would
// turn into a replacement character or take the separator after them as their own.
struct ShownText {
  std::string_view whole;
  std::string_view mark;
};

inline ShownText ShownColumn(std::string_view text, std::size_t limit,
                             const AnsiCharacters& characters) {
  const std::size_t kept = limit < text.size() ? limit : text.size();
  const std::size_t whole = CompleteCharacters(text, limit, characters);
  return {Prefix(text, whole), whole < kept ? std::string_view("?") : std::string_view()};
}

// The next piece of a text handed over in pieces, each converted on its own: whole characters
// only, at most `wanted` bytes. When the first character alone is longer than `wanted`, the
// piece is "?" in its place, so no piece ever holds half a character. Empty only when `rest`
// is or `wanted` is 0.
struct ReportPiece {
  std::string_view bytes;
  std::size_t consumed;
};

inline ReportPiece NextReportPiece(std::string_view rest, std::size_t wanted,
                                   const AnsiCharacters& characters) {
  if (rest.empty() || wanted == 0) return {{}, 0};
  const std::size_t whole = WholeCharacters(rest, wanted, characters);
  if (whole == 0) return {"?", CharacterLength(rest, 0, characters)};
  return {Prefix(rest, whole), whole};
}

}  // namespace vantrel
