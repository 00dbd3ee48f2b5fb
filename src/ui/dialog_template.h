#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/dialog_font.h"

namespace vantrel {

inline constexpr std::size_t kDialogTitleLimit = 256;
// Header with menu and class (22 bytes), 256 title units and their end (514), point size (2),
// 31 face units and their end (64).
inline constexpr std::size_t kDialogTemplateCapacity = 602;

// An in-memory DLGTEMPLATE with no controls, little-endian, ready for
// CreateDialogIndirectParamA.
struct alignas(4) DialogTemplate {
  std::array<std::uint8_t, kDialogTemplateCapacity> bytes{};
  std::size_t size = 0;
};

// `style` is written as given (see DialogStyle). Coordinates and sizes keep their low 16 bits.
// Each title byte becomes one 16-bit unit without code-page conversion; the title ends at its
// first NUL byte and is cut to 256 bytes; an empty title is written as one space.
DialogTemplate BuildDialogTemplate(std::string_view title, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, std::uint32_t style,
                                   std::uint32_t extendedStyle, const DialogFont& font);

}  // namespace vantrel
