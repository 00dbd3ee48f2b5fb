// Runs the program frame in a process of its own for the frame tests:
//   frame_probe no-slot | no-memory   start-up fails; the exit code must be 255
//   frame_probe show-command [...]    the exit code is the show command the frame passed on,
//                                     or 1 when the command tail was not the arguments
#include <windows.h>

#include <cstring>
#include <string>

#include "app/program_frame.h"

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

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  vantrel::ThreadStateAllocation allocation = vantrel::kPlatformAllocation;
  if (mode == "no-slot") allocation.allocateSlot = &NoSlot;
  if (mode == "no-memory") allocation.allocateMemory = &NoMemory;
  ExitProcess(static_cast<UINT>(vantrel::RunProgram(&ReportShowCommand, allocation)));
}
