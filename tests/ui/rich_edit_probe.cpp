// Loads the rich-edit library in a fresh process, which the rich-edit library tests start from
// a folder where a RICHED32.DLL has been planted beside it:
//   rich_edit_probe refused|found <file>
// "refused" loads it as a system without SetDefaultDllDirectories must (XP, Vista, 7 without
// KB2533623), "found" with the call the system has. The path of the module loaded goes into
// <file>; the exit code is 1 when none was loaded. Once a process has loaded the library or
// narrowed its DLL search, later loads in it tell nothing, hence a process per load.
#include <windows.h>

#include <cstring>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const HMODULE library = std::strcmp(argv[1], "refused") == 0
                              ? vantrel::LoadRichEditLibrary(nullptr)
                              : vantrel::LoadRichEditLibrary();
  if (library == nullptr) return 1;
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(library, path, MAX_PATH);
  const HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(file, path, length, &written, nullptr);
  CloseHandle(file);
  return 0;
}
