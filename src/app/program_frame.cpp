#include "app/program_frame.h"

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/floating_point_state.h"
#include "app/scoped_win.h"

namespace vantrel {

int StartupShowCommand() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

int RunProgram(MainRoutine mainRoutine, const ThreadStateAllocation& allocation) {
  // The C runtime answers an abort or a pure virtual call with a message box of its own unless
  // told otherwise; this program shows none, whatever fails.
  _set_error_mode(_OUT_TO_STDERR);
  const ComScope com;
  const int showCommand = StartupShowCommand();
  // The tail runs to the end of the command line, so it is NUL-terminated where it stands:
  // nothing before the main routine needs memory of its own but the thread's record.
  char* const commandLine = GetCommandLineA();
  char* const commandTail =
      commandLine + (std::strlen(commandLine) - CommandLineTail(commandLine).size());
  const HINSTANCE instance = GetModuleHandleA(nullptr);

  // Released before COM, as the scopes end in reverse.
  const MainThreadState threadState(allocation);
  if (!threadState.created()) return kStartupFailureExitCode;
  LoadX87ControlWord(kProgramControlWord);
  return mainRoutine(instance, nullptr, commandTail, showCommand);
}

}  // namespace vantrel
