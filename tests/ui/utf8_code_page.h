#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel::testing {

// Whether this is a copy of a test program built with utf8_code_page.rc, whose manifest asks
// for UTF-8 as its ANSI code page.
inline bool ManifestAsksForUtf8() {
  const HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_MANIFEST);
  const HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
  if (loaded == nullptr) return false;
  const std::string_view manifest(static_cast<const char*>(LockResource(loaded)),
                                  SizeofResource(nullptr, found));
  return manifest.find(">UTF-8</activeCodePage>") != std::string_view::npos;
}

}  // namespace vantrel::testing
