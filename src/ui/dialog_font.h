#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/text.h"

namespace vantrel {

inline constexpr std::size_t kDialogFaceLimit = 31;

// The font that NewDialog writes into the next dialog template. One setting per thread, kept in
// the thread's run-time record.
struct DialogFont {
  std::array<char, kDialogFaceLimit + 1> face{};  // always NUL-terminated
  std::uint32_t pointSize = 0;                    // 0..255

  std::string_view Face() const { return face.data(); }
};

// The face ends at its first NUL byte and is cut to 31 bytes; the size keeps its low 8 bits.
constexpr DialogFont MakeDialogFont(std::string_view face, std::int32_t pointSize) {
  DialogFont font;
  face = Prefix(face, std::min(face.find('\0'), kDialogFaceLimit));
  std::copy(face.begin(), face.end(), font.face.begin());
  font.pointSize = static_cast<std::uint32_t>(pointSize) & 0xFFu;
  return font;
}

// The calling thread's setting, "MS Sans Serif" 8 until changed.
DialogFont CurrentDialogFont();

// Changes the calling thread's setting; dialogs created before keep their font.
void SetDialogFont(std::string_view face, std::int32_t pointSize);

}  // namespace vantrel
