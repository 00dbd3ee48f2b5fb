#include "support/wine.h"

#include <windows.h>

namespace vantrel::testing {
namespace {

constexpr const char* kRichEditDlls[] = {"riched32", "riched20"};
constexpr char kNativeThenBuiltin[] = "native,builtin";

}  // namespace

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

RichEditFilesFirst::RichEditFilesFirst(const std::string& program) {
  if (!UnderWine()) return;
  programKey_ = "Software\\Wine\\AppDefaults\\" + program;
  HKEY key = nullptr;
  keyWasThere_ = RegOpenKeyExA(HKEY_CURRENT_USER, programKey_.c_str(), 0, KEY_READ, &key) == 0;
  if (key != nullptr) RegCloseKey(key);
  if (RegCreateKeyExA(HKEY_CURRENT_USER, (programKey_ + "\\DllOverrides").c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != 0) {
    return;
  }
  for (const char* dll : kRichEditDlls) {
    RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeThenBuiltin),
                   sizeof kNativeThenBuiltin);
  }
  RegCloseKey(key);
}

RichEditFilesFirst::~RichEditFilesFirst() {
  if (programKey_.empty()) return;
  const std::string overrides = programKey_ + "\\DllOverrides";
  if (keyWasThere_) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, overrides.c_str(), 0, KEY_SET_VALUE, &key) != 0) return;
    for (const char* dll : kRichEditDlls) RegDeleteValueA(key, dll);
    RegCloseKey(key);
    return;
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, overrides.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, programKey_.c_str());
}

}  // namespace vantrel::testing
