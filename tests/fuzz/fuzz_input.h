#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// What the fuzz targets share: reading a fuzzer's input field by field, and stopping on a
// broken invariant so that libFuzzer keeps the input that broke it.
namespace vantrel::fuzz {

// Reads fixed fields from the front of an input; a field past its end reads as zeros, so every
// input, however short, is a valid one.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }
  // Little-endian, as the seed files are written.
  std::uint64_t Unsigned(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t{Byte()} << (8 * i);
    return value;
  }
  std::string_view Bytes(std::size_t count) {
    const std::string_view taken = rest_.substr(0, count);
    rest_.remove_prefix(taken.size());
    return taken;
  }
  std::string_view Rest() { return Bytes(rest_.size()); }

 private:
  std::string_view rest_;
};

// A broken invariant: says which and aborts, which libFuzzer reports as a finding.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace vantrel::fuzz
