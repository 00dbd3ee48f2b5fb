#pragma once

#include <windows.h>

#include "app/thread_state.h"

namespace vantrel {

// The program's main routine, called with the platform's four conventional arguments.
using MainRoutine = int (*)(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail,
                            int showCommand);

// Exit code when the main thread's run-time state cannot be created.
inline constexpr int kStartupFailureExitCode = 255;

// Everything between process entry and exit: COM, the main thread's state, the floating-point
// mode, the main routine, and the release of it all in reverse. Returns the exit code.
int RunProgram(MainRoutine mainRoutine,
               const ThreadStateAllocation& allocation = kPlatformAllocation);

// The show command handed to the main routine: the one the starting program asked for, or
// SW_SHOWDEFAULT.
int StartupShowCommand();

}  // namespace vantrel
