// A test program that never ends, and starts one that never ends either: the test pack's runner
// must end both when its time limit is up (the pack-timeout and pack-no-job tests of
// tests/checks). Writes no report.
//   never_ends [ARGUMENT...]   starts "never_ends child", then waits for ever
//   never_ends hold FILE       holds FILE open, shared with no one, as Explorer's preview pane
//                              or a virus scanner may; says "holding", then lets go when its
//                              input ends
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "end_of_input.h"

namespace {

int Hold(const wchar_t* path) {
  const HANDLE file =
      CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::puts("holding");
  std::fflush(stdout);
  vantrel::testing::WaitForEndOfInput();
  CloseHandle(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"hold") == 0) return Hold(argv[2]);
  if (argc < 2 || std::wcscmp(argv[1], L"child") != 0) {
    std::wstring exe(32768, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    std::wstring commandLine = L"\"" + exe + L"\" child";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &child)) {
      return 1;
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  Sleep(INFINITE);
  return 0;
}
