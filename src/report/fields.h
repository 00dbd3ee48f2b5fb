#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Decimal digits grouped in threes with ",", at least two digits ("00", "07"), "-" before a
// negative value. Fixed characters: the user's regional settings never change the result.
std::string FormatGrouped(std::int64_t value);

// `text` flush right in a field of exactly `width` bytes; a longer text keeps its first bytes.
std::string FieldRight(std::string_view text, std::size_t width);

// `text` flush left in a field of exactly `width` bytes; a longer text keeps its first bytes.
std::string FieldLeft(std::string_view text, std::size_t width);

}  // namespace vantrel
