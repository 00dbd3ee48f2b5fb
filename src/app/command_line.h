#pragma once

#include <string_view>

namespace vantrel {

// What follows the program name on a command line, without the blanks in between. A quoted
// program name ends at its closing quote, an unquoted one at the first blank.
constexpr std::string_view CommandLineTail(std::string_view commandLine) {
  std::size_t end = 0;
  if (!commandLine.empty() && commandLine.front() == '"') {
    const std::size_t close = commandLine.find('"', 1);
    end = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    end = commandLine.find_first_of(" \t");
    if (end == std::string_view::npos) end = commandLine.size();
  }
  const std::size_t tail = commandLine.find_first_not_of(" \t", end);
  if (tail == std::string_view::npos) return {};
  // remove_prefix rather than substr, which would bring the C++ runtime's exceptions along.
  commandLine.remove_prefix(tail);
  return commandLine;
}

}  // namespace vantrel
