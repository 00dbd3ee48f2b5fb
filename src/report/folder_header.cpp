#include "report/folder_header.h"

#include <algorithm>

namespace vantrel {

std::string_view ZStringAt(std::span<const unsigned char> buffer, std::size_t position) {
  if (position < 1 || position > buffer.size()) return {};
  const auto start = buffer.begin() + static_cast<std::ptrdiff_t>(position - 1);
  auto end = std::find(start, buffer.end(), 0);
  if (end == buffer.end()) --end;
  return {reinterpret_cast<const char*>(buffer.data()) + (position - 1),
          static_cast<std::size_t>(end - start)};
}

}  // namespace vantrel
