#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/scoped_win.h"

namespace vantrel::testing {

// Paths and command lines here are UTF-8, made wide for every call that takes them.

// Full path of a program built next to the running test program.
std::string ProgramPath(const std::string& fileName);

// A command line that starts that program, followed by `arguments` if any.
std::string ProgramCommand(const std::string& fileName, const std::string& arguments = "");

// How long a program may take to start: the first start of a program just copied or unzipped
// can spend most of 20 s waiting on a virus scanner's look-up in the cloud.
constexpr DWORD kStartMs = 60000;

// A program started for a test, ended at the latest when the test is done with it.
class RunningProgram {
 public:
  // Starts `commandLine` in `directory`; `showWindow` is handed over through STARTUPINFO.
  RunningProgram(const std::string& commandLine, const std::string& directory,
                 std::optional<WORD> showWindow = std::nullopt);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return process_.valid(); }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }

  // Checks `condition` whenever the process has not ended within a few milliseconds; false
  // once `timeoutMs` have passed or the process ended first.
  bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000) const;

  // A visible top-level window of this process with the given caption (and class name, if
  // given), or null when none appears in time.
  HWND WaitForWindow(const std::string& caption, const char* className = nullptr,
                     DWORD timeoutMs = kStartMs) const;

  // The exit code, or nothing when the process is still running after `timeoutMs`: long enough
  // for a program that has yet to start.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kStartMs) const;

 private:
  ScopedKernelHandle process_;
  DWORD id_ = 0;
};

// The visible top-level windows of process `processId` with this caption (and class name).
std::vector<HWND> ProcessWindows(DWORD processId, const std::string& caption,
                                 const char* className = nullptr);

// A top-level window of process `processId` with this caption (and class), visible or not; null
// when there is none.
HWND FindProcessWindow(DWORD processId, const std::string& caption,
                       const char* className = nullptr);

// The whole text of a window of another process, asked for with WM_GETTEXT.
std::string WindowText(HWND window);

}  // namespace vantrel::testing
