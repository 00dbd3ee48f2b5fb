#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vantrel {

// The bytes that open a two-byte character in the ANSI code page (932, 936, 949, 950). In a
// single-byte code page there are none, and nothing below changes a byte. A trail byte may
// look like a lead byte, so characters are only ever told apart by walking from a known start.
struct LeadBytes {
  std::array<bool, 256> isLead{};
  bool any = false;

  bool IsLead(char byte) const { return isLead[static_cast<unsigned char>(byte)]; }
};

// The longest start of `text`, at most `limit` bytes, that ends between two characters.
// A lone lead byte at the very end of `text` counts as a character of its own.
inline std::size_t WholeCharacters(std::string_view text, std::size_t limit,
                                   const LeadBytes& leadBytes) {
  if (limit > text.size()) limit = text.size();
  if (!leadBytes.any) return limit;
  std::size_t end = 0;
  while (end < limit) {
    const std::size_t width = leadBytes.IsLead(text[end]) && end + 1 < text.size() ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return end;
}

// True when the last byte of `text` is a lead byte with no trail byte after it: shown as it is,
// it would take the separator that follows as its trail.
inline bool EndsInLoneLeadByte(std::string_view text, const LeadBytes& leadBytes) {
  if (!leadBytes.any || text.empty()) return false;
  return WholeCharacters(text, text.size() - 1, leadBytes) == text.size() - 1 &&
         leadBytes.IsLead(text.back());
}

}  // namespace vantrel
