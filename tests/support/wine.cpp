#include "support/wine.h"

#include <windows.h>

#include <string_view>

namespace vantrel::testing {

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring PlantedDllEnvironment() {
  if (!UnderWine()) return {};
  constexpr std::wstring_view kOverrides = L"WINEDLLOVERRIDES=";
  std::wstring block, overrides(kOverrides);
  wchar_t* const strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != L'\0'; entry += lstrlenW(entry) + 1) {
    const std::wstring_view variable(entry);
    // Wine takes the last setting of a DLL, so ours follows whatever is set already.
    if (variable.starts_with(kOverrides)) {
      overrides.assign(variable).push_back(L';');
    } else {
      block.append(variable).push_back(L'\0');
    }
  }
  FreeEnvironmentStringsW(strings);
  block.append(overrides).append(L"riched32,riched20=n,b").push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace vantrel::testing
