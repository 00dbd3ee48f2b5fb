#include <windows.h>

#include <cstdlib>

#include "app/program_frame.h"
#include "ui/main_window.h"

// The C runtime calls this for a GUI program. Its arguments are the runtime's view; the frame
// takes its own from the platform.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ExitProcess(static_cast<UINT>(vantrel::RunProgram(&vantrel::WinMain)));
}

#if defined(__GLIBCXX__)
// libstdc++'s default terminate handler writes the demangled exception type to a console this
// GUI program does not have; the demangler and the printf machinery behind it would be a third
// of the .exe. Ending quietly is all it could do here anyway.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
#endif
