#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "report/ansi_characters.h"

// The code pages the report-text targets run under, chosen by an input byte, each with the
// program's AnsiCharacters and a model of its own, written from the code pages' tables rather
// than from the program: where a character of the code page starts and ends.
namespace vantrel::fuzz {

enum class Encoding { SingleByte, DoubleByte, Utf8 };

struct CodePage {
  int number = 1252;
  Encoding encoding = Encoding::SingleByte;
  std::array<bool, 256> lead{};  // double-byte code pages only
  AnsiCharacters characters;
};

inline std::array<bool, 256> LeadBytes(std::uint8_t first, std::uint8_t last,
                                       std::uint8_t first2 = 1, std::uint8_t last2 = 0) {
  std::array<bool, 256> lead{};
  for (unsigned byte = first; byte <= last; ++byte) lead[byte] = true;
  for (unsigned byte = first2; byte <= last2; ++byte) lead[byte] = true;
  return lead;
}

// 1252, 932 (lead bytes 0x81-0x9F and 0xE0-0xFC), 936, 949 and 950 (0x81-0xFE), 65001.
inline CodePage ChooseCodePage(std::uint8_t selector) {
  CodePage page;
  switch (selector % 6) {
    case 0:
      page.characters = AnsiCharacters::SingleByte();
      return page;
    case 1:
      page.number = 932;
      page.lead = LeadBytes(0x81, 0x9F, 0xE0, 0xFC);
      break;
    case 2:
      page.number = 936;
      page.lead = LeadBytes(0x81, 0xFE);
      break;
    case 3:
      page.number = 949;
      page.lead = LeadBytes(0x81, 0xFE);
      break;
    case 4:
      page.number = 950;
      page.lead = LeadBytes(0x81, 0xFE);
      break;
    default:
      page.number = 65001;
      page.encoding = Encoding::Utf8;
      page.characters = AnsiCharacters::Utf8();
      return page;
  }
  page.encoding = Encoding::DoubleByte;
  page.characters = AnsiCharacters::DoubleByte(page.lead);
  return page;
}

inline bool InRange(char byte, unsigned low, unsigned high) {
  const auto value = static_cast<unsigned char>(byte);
  return value >= low && value <= high;
}

// How a UTF-8 character starting with `first` goes on: how many bytes it has in all, and the
// range its second byte must lie in (the Unicode standard's table of well-formed sequences).
struct Utf8Start {
  std::size_t length;
  unsigned secondLow;
  unsigned secondHigh;
};

inline Utf8Start Utf8StartOf(char first) {
  const auto byte = static_cast<unsigned char>(first);
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {1, 0, 0};
}

// How many bytes at `at` are a well-formed start of a UTF-8 character (1 for ASCII or a byte
// that starts none), and how many the character needs.
inline std::size_t Utf8WellFormed(std::string_view text, std::size_t at, std::size_t& needed) {
  const Utf8Start start = Utf8StartOf(text[at]);
  needed = start.length;
  std::size_t length = 1;
  while (length < start.length && at + length < text.size()) {
    const bool fits = length == 1 ? InRange(text[at + 1], start.secondLow, start.secondHigh)
                                  : InRange(text[at + length], 0x80, 0xBF);
    if (!fits) break;
    ++length;
  }
  return length;
}

// How many bytes at `at` a UTF-8 start byte claims, well-formed or not: itself and the
// continuation bytes (0x80-0xBF) after it, at most as many as its character needs (`needed`).
// Where the second byte is out of its range (an overlong form, a surrogate), the converter gives
// only replacement characters for them, so a program may keep the run together as one character.
inline std::size_t Utf8Claimed(std::string_view text, std::size_t at, std::size_t& needed) {
  needed = Utf8StartOf(text[at]).length;
  std::size_t length = 1;
  while (length < needed && at + length < text.size() && InRange(text[at + length], 0x80, 0xBF)) {
    ++length;
  }
  return length;
}

// The bytes of the character at `at` as the code page's converter takes them: a lead byte and
// whatever byte follows it; a well-formed UTF-8 sequence, or the longest well-formed start of
// one, which becomes a single replacement character; any other byte alone.
inline std::size_t ModelCharacterLength(const CodePage& page, std::string_view text,
                                        std::size_t at) {
  switch (page.encoding) {
    case Encoding::SingleByte:
      return 1;
    case Encoding::DoubleByte:
      return page.lead[static_cast<unsigned char>(text[at])] && at + 1 < text.size() ? 2 : 1;
    case Encoding::Utf8: {
      std::size_t needed = 0;
      return Utf8WellFormed(text, at, needed);
    }
  }
  return 1;
}

// True when `text` ends inside a character: a lone lead byte, or a well-formed UTF-8 sequence
// that the end cuts short. Such a column would take the separator after it as its trail, or
// show a replacement character for bytes that were never wrong.
inline bool EndsInsideCharacter(const CodePage& page, std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t length = ModelCharacterLength(page, text, at);
    if (page.encoding == Encoding::Utf8 && at + length == text.size()) {
      std::size_t needed = 0;
      Utf8WellFormed(text, at, needed);
      return length < needed;
    }
    if (page.encoding == Encoding::DoubleByte && length == 1 &&
        page.lead[static_cast<unsigned char>(text[at])]) {
      return true;  // only the last byte can be a lead byte without its trail
    }
    at += length;
  }
  return false;
}

}  // namespace vantrel::fuzz
