#include "app/program_frame.h"

#include <objbase.h>

#include <string>

#include "app/command_line.h"
#include "app/floating_point_state.h"

namespace vantrel {

int StartupShowCommand() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

int RunProgram(MainRoutine mainRoutine, const ThreadStateAllocation& allocation) {
  CoInitialize(nullptr);
  const int showCommand = StartupShowCommand();
  std::string commandTail(CommandLineTail(GetCommandLineA()));
  const HINSTANCE instance = GetModuleHandleA(nullptr);

  if (!CreateMainThreadState(allocation)) {
    CoUninitialize();
    return kStartupFailureExitCode;
  }
  LoadX87ControlWord(kProgramControlWord);

  const int exitCode = mainRoutine(instance, nullptr, commandTail.data(), showCommand);

  ReleaseMainThreadState();
  CoUninitialize();
  return exitCode;
}

}  // namespace vantrel
