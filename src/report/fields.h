#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/error_record.h"
#include "app/text.h"

namespace vantrel {

// Each of these returns an empty text and notes kErrorTextStorage in `errors` when the text's
// storage is refused.

// Decimal digits grouped in threes with ",", at least two digits ("00", "07"), "-" before a
// negative value. Fixed characters: the user's regional settings never change the result.
Text FormatGrouped(std::int64_t value, ErrorRecord& errors);

// `text` flush right in a field of exactly `width` bytes; a longer text keeps its first bytes.
Text FieldRight(std::string_view text, std::size_t width, ErrorRecord& errors);

// `text` flush left in a field of exactly `width` bytes; a longer text keeps its first bytes.
Text FieldLeft(std::string_view text, std::size_t width, ErrorRecord& errors);

}  // namespace vantrel
