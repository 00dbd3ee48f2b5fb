#include "report/fields.h"

#include <algorithm>

namespace vantrel {

std::string FormatGrouped(std::int64_t value) {
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

  std::string text;
  text.reserve(digits + digits / 3 + 1);
  if (value < 0) text += '-';
  for (std::size_t i = digits; i-- > 0;) {
    text += reversed[i];
    if (i > 0 && i % 3 == 0) text += ',';
  }
  return text;
}

std::string FieldRight(std::string_view text, std::size_t width) {
  const std::size_t kept = std::min(text.size(), width);
  std::string field(width - kept, ' ');
  field.append(text.substr(0, kept));
  return field;
}

std::string FieldLeft(std::string_view text, std::size_t width) {
  const std::size_t kept = std::min(text.size(), width);
  std::string field(text.substr(0, kept));
  field.append(width - kept, ' ');
  return field;
}

}  // namespace vantrel
