#include <windows.h>

#include "app/program_frame.h"
#include "ui/main_window.h"

// The C runtime calls this for a GUI program. Its arguments are the runtime's view; the frame
// takes its own from the platform.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ExitProcess(static_cast<UINT>(vantrel::RunProgram(&vantrel::WinMain)));
}
