// Runs the program frame in a process of its own for the frame tests:
//   frame_probe no-slot | no-memory   start-up fails; the exit code must be 255
//   frame_probe show-command [...]    the exit code is the show command the frame passed on,
//                                     or 1 when the command tail was not the arguments
//   frame_probe abort                 the main routine aborts; the C runtime must end the
//                                     process (exit code 3) without a message box
//   frame_probe error-mode            the exit code is the C runtime's error mode
//   frame_probe fill TEXT             copies TEXT into a 16-byte buffer on the stack; a longer
//                                     one must end the process at once with 0xC0000409
//   frame_probe guard                 the exit code is the stack protector's guard
// It is a GUI program, as vantrel.exe is, since the C runtime shows its boxes only for those.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/program_frame.h"

extern "C" std::uintptr_t __stack_chk_guard;

namespace {

DWORD WINAPI NoSlot() {
  return TLS_OUT_OF_INDEXES;
}
HGLOBAL WINAPI NoMemory(UINT, SIZE_T) {
  return nullptr;
}

int ReportShowCommand(HINSTANCE, HINSTANCE, LPSTR commandTail, int showCommand) {
  return std::strncmp(commandTail, "show-command", 12) == 0 ? showCommand : 1;
}

int Abort(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::abort();
}

int ReportErrorMode(HINSTANCE, HINSTANCE, LPSTR, int) {
  return _set_error_mode(_REPORT_ERRMODE);
}

// Built with the program's stack protector: the copy's length comes from the command line, and
// the buffer goes to a system function, so the compiler can neither see the overflow nor drop
// the copy.
int FillBuffer(HINSTANCE, HINSTANCE, LPSTR commandTail, int) {
  char buffer[16];
  std::strcpy(buffer, commandTail + std::strlen("fill "));
  return lstrlenA(buffer) > 0 ? 0 : 1;
}

int ReportGuard(HINSTANCE, HINSTANCE, LPSTR, int) {
  return static_cast<int>(__stack_chk_guard);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  vantrel::ThreadStateAllocation allocation = vantrel::kPlatformAllocation;
  if (mode == "no-slot") allocation.allocateSlot = &NoSlot;
  if (mode == "no-memory") allocation.allocateMemory = &NoMemory;
  vantrel::MainRoutine routine = &ReportShowCommand;
  if (mode == "abort") routine = &Abort;
  if (mode == "error-mode") routine = &ReportErrorMode;
  if (mode == "fill") routine = &FillBuffer;
  if (mode == "guard") routine = &ReportGuard;
  ExitProcess(static_cast<UINT>(vantrel::RunProgram(routine, allocation)));
}
