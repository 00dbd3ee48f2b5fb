#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace vantrel {

inline constexpr std::size_t kFolderHeaderSize = 128;
inline constexpr std::size_t kFriendlyNamePosition = 1;
inline constexpr std::size_t kIdentifierPosition = 87;

// The first 128 bytes of a mail folder file. Bytes beyond the end of a shorter file are 0.
struct FolderHeader {
  std::array<unsigned char, kFolderHeaderSize> bytes{};
};

// The NUL-terminated text starting at 1-based `position`, as a view of the buffer's bytes. The
// buffer's last byte never belongs to the text, so a header without any NUL yields 127 bytes
// from position 1 and 41 from position 87. A position outside the buffer yields an empty text.
std::string_view ZStringAt(std::span<const unsigned char> buffer, std::size_t position);

inline std::string_view FriendlyName(const FolderHeader& header) {
  return ZStringAt(header.bytes, kFriendlyNamePosition);
}

inline std::string_view FolderIdentifier(const FolderHeader& header) {
  return ZStringAt(header.bytes, kIdentifierPosition);
}

}  // namespace vantrel
