// Looks at a running Vantrel window from outside, for tools/demo.
//   vantrel_probe show   waits for the window, prints the report text it shows to stdout and
//                        its screen rectangle (WxH+X+Y) to stderr
//   vantrel_probe quit   clicks "Quit"
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/program_driver.h"
#include "ui/main_window.h"

namespace {

using vantrel::ID_QUIT;
using vantrel::ID_REPORT;
using vantrel::kMainWindowTitle;

HWND WaitForMainWindow() {
  for (int waited = 0; waited < 30000; waited += 20) {
    const HWND window = FindWindowA(nullptr, kMainWindowTitle);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(20);  // the program runs in another Wine process this one has no handle of
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const HWND window = WaitForMainWindow();
  if (window == nullptr) {
    std::fprintf(stderr, "no window titled \"%s\" appeared\n", kMainWindowTitle);
    return 1;
  }
  if (command == "show") {
    const std::string report = vantrel::testing::WindowText(GetDlgItem(window, ID_REPORT));
    std::fwrite(report.data(), 1, report.size(), stdout);
    RECT rect;
    GetWindowRect(window, &rect);
    std::fprintf(stderr, "%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top,
                 rect.left, rect.top);
    return 0;
  }
  if (command == "quit") {
    // As a click reports itself: BM_CLICK may fail while the window is not active.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_QUIT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, ID_QUIT)));
    return 0;
  }
  std::fprintf(stderr, "usage: vantrel_probe show|quit\n");
  return 2;
}
