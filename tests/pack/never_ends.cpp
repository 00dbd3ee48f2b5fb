// A test program that never ends, and starts one that never ends either: the test pack's runner
// must end both when its time limit is up (the pack-timeout test of tests/checks). Writes no
// report.
//   never_ends [ARGUMENT...]   starts "never_ends child", then waits for ever
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
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
