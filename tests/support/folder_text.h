#pragma once

#include <string>

namespace vantrel::testing {

// The 128 header bytes of a folder file: `name` at offset 0 and `identifier` at offset 86, each
// followed by NUL bytes.
inline std::string FolderFileHeader(const std::string& name, const std::string& identifier) {
  std::string header(128, '\0');
  header.replace(0, name.size(), name);
  header.replace(86, identifier.size(), identifier);
  return header;
}

// One report line from its four columns, already laid out.
inline std::string ReportRow(const std::string& name, const std::string& identifier,
                             const std::string& size, const std::string& friendlyName) {
  return name + "\t" + identifier + "\t" + size + "\t" + friendlyName + "\r\n";
}

}  // namespace vantrel::testing
