#include "support/program_driver.h"

#include "support/temp_directory.h"

namespace vantrel::testing {

std::string ProgramPath(const std::string& fileName) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  path.erase(path.find_last_of(L"\\/") + 1);
  return Utf8(path) + fileName;
}

std::string ProgramCommand(const std::string& fileName, const std::string& arguments) {
  std::string command = "\"";
  command.append(ProgramPath(fileName)).append("\"");
  if (!arguments.empty()) command.append(" ").append(arguments);
  return command;
}

RunningProgram::RunningProgram(const std::string& commandLine, const std::string& directory,
                               std::optional<WORD> showWindow) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (showWindow) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = *showWindow;
  }
  PROCESS_INFORMATION info{};
  std::wstring line = Wide(commandLine);  // CreateProcessW may write to it
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     Wide(directory).c_str(), &startup, &info)) {
    const ScopedKernelHandle thread(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
  }
}

RunningProgram::~RunningProgram() {
  if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

bool RunningProgram::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) const {
  // GetTickCount64 is not on XP; an unsigned difference of GetTickCount survives its wrap.
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    if (!process_.valid() || WaitForSingleObject(process_.get(), 5) == WAIT_OBJECT_0) {
      return condition();
    }
  }
}

HWND RunningProgram::WaitForWindow(const std::string& caption, const char* className,
                                   DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindProcessWindow(id_, caption, className);
        return found != nullptr && IsWindowVisible(found);
      },
      timeoutMs);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs) const {
  if (!process_.valid() || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

namespace {

struct WindowSearch {
  DWORD processId;
  const std::string* caption;
  const char* className;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId) return TRUE;
  if (search.visibleOnly && !IsWindowVisible(window)) return TRUE;
  char text[256];
  const int length = GetWindowTextA(window, text, sizeof text);
  if (std::string(text, static_cast<std::size_t>(length)) != *search.caption) return TRUE;
  if (search.className != nullptr) {
    char name[256];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search.className) != 0) return TRUE;
  }
  search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> Collect(DWORD processId, const std::string& caption, const char* className,
                          bool visibleOnly) {
  WindowSearch search{processId, &caption, className, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::vector<HWND> ProcessWindows(DWORD processId, const std::string& caption,
                                 const char* className) {
  return Collect(processId, caption, className, true);
}

HWND FindProcessWindow(DWORD processId, const std::string& caption, const char* className) {
  const std::vector<HWND> windows = Collect(processId, caption, className, false);
  return windows.empty() ? nullptr : windows.front();
}

std::string WindowText(HWND window) {
  // Generous: on a busy machine a control that has just taken thousands of rows may be laying
  // them out for many seconds, which is slow, not hung. A hung program still ends the wait.
  constexpr UINT kTimeoutMs = 60000;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kTimeoutMs, &length)) {
    return "<no answer>";
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_NORMAL, kTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

}  // namespace vantrel::testing
