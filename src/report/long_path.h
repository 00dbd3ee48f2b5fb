#pragma once

#include <string_view>

#include "app/text.h"

namespace vantrel {

// Writes `directory` (a full path, as the current directory is reported) as a "\\?\" path with
// a closing backslash, so that a listed name appended to it reaches exactly that file: the
// platform then neither trims trailing dots and spaces, nor takes "NUL.PMM" for a device, nor
// limits the length. False when there is no directory or no storage; `path` is then empty.
inline bool LongPathDirectory(std::wstring_view directory, WideText& path) {
  constexpr std::wstring_view kLocal = L"\\\\?\\", kDevice = L"\\\\.\\", kShare = L"\\\\";
  path.Truncate(0);
  if (directory.empty()) return false;
  // remove_prefix and Prefix rather than substr and starts_with (see Prefix).
  std::wstring_view rest = directory;
  std::wstring_view prefix = kLocal;
  if (Prefix(directory, kLocal.size()) == kLocal) {
    prefix = {};
  } else if (Prefix(directory, kDevice.size()) == kDevice) {
    rest.remove_prefix(kDevice.size());
  } else if (Prefix(directory, kShare.size()) == kShare) {
    rest.remove_prefix(kShare.size());
    prefix = L"\\\\?\\UNC\\";
  }
  bool ok = path.Append(prefix) && path.Append(rest);
  if (ok && !directory.ends_with(L'\\')) ok = path.Append(1, L'\\');
  if (!ok) path.Truncate(0);
  return ok;
}

}  // namespace vantrel
