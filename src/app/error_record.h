#pragma once

#include <cstdint>

namespace vantrel {

// Run-time error number kept when storage for a text is refused.
inline constexpr std::uint32_t kErrorTextStorage = 7;

// Where a routine notes the last failure it met. Failures never stop the program or show a
// message; the record keeps the number for whoever wants to look (the tests do).
struct ErrorRecord {
  std::uint32_t error = 0;

  void Note(std::uint32_t number) { error = number; }
  void Clear() { error = 0; }
};

}  // namespace vantrel
