// Loads the rich-edit library in a fresh process, which the rich-edit library tests start from
// a folder where a RICHED32.DLL has been planted beside it:
//   rich_edit_probe refused|found <file>
// "refused" loads it as a system without SetDefaultDllDirectories must (XP, Vista, 7 without
// KB2533623), "found" with the call the system has. The path of the module loaded goes into
// <file>, in UTF-8; the exit code is 1 when none was loaded. Once a process has loaded the
// library or narrowed its DLL search, later loads in it tell nothing, hence a process per load.
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string_view>

#include "support/temp_directory.h"
#include "ui/main_window.h"

int main() {
  int argc = 0;
  wchar_t** const argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 3) return 2;
  const HMODULE library = std::wstring_view(argv[1]) == L"refused"
                              ? vantrel::LoadRichEditLibrary(nullptr)
                              : vantrel::LoadRichEditLibrary();
  if (library == nullptr) return 1;
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(library, path, MAX_PATH);
  try {
    vantrel::testing::WriteWhole(vantrel::testing::Utf8(argv[2]),
                                 vantrel::testing::Utf8(std::wstring_view(path, length)));
  } catch (const std::exception&) {
    return 3;
  }
  return 0;
}
