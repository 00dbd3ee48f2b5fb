#include "report/fields.h"

#include <algorithm>

namespace vantrel {
namespace {

// A field of `width` bytes: the kept part of `text` with the fill before or after it.
Text Field(std::string_view text, std::size_t width, bool flushRight, ErrorRecord& errors) {
  const std::string_view kept = Prefix(text, width);
  Text field;
  if (!field.Reserve(width)) {
    errors.Note(kErrorTextStorage);
    return field;
  }
  if (flushRight) field.Append(width - kept.size(), ' ');
  field.Append(kept);
  if (!flushRight) field.Append(width - kept.size(), ' ');
  return field;
}

}  // namespace

Text FormatGrouped(std::int64_t value, ErrorRecord& errors) {
  // Unsigned arithmetic, so the most negative value has a magnitude too.
  const auto bits = static_cast<std::uint64_t>(value);
  std::uint64_t magnitude = value < 0 ? ~bits + 1 : bits;

  char reversed[24];
  std::size_t digits = 0;
  do {
    reversed[digits++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (digits == 1) reversed[digits++] = '0';

  char grouped[32];
  std::size_t size = 0;
  if (value < 0) grouped[size++] = '-';
  for (std::size_t i = digits; i-- > 0;) {
    grouped[size++] = reversed[i];
    if (i > 0 && i % 3 == 0) grouped[size++] = ',';
  }
  Text text;
  if (!text.Append(std::string_view(grouped, size))) errors.Note(kErrorTextStorage);
  return text;
}

Text FieldRight(std::string_view text, std::size_t width, ErrorRecord& errors) {
  return Field(text, width, true, errors);
}

Text FieldLeft(std::string_view text, std::size_t width, ErrorRecord& errors) {
  return Field(text, width, false, errors);
}

}  // namespace vantrel
