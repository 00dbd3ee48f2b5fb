// Looks at a running Vantrel window from outside, for tools/demo.
//   vantrel_probe sample DIR   writes a small mail directory of realistic folder files into DIR
//   vantrel_probe show         waits for the window, prints the report text it shows to stdout
//                              and its screen rectangle (WxH+X+Y) to stderr
//   vantrel_probe quit         clicks "Quit"
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/folder_text.h"
#include "support/program_driver.h"
#include "support/temp_directory.h"
#include "ui/main_window.h"

namespace {

using vantrel::ID_QUIT;
using vantrel::ID_REPORT;
using vantrel::kMainWindowTitle;

// Folder files as Pegasus Mail writes them: the header, then messages each ended by byte 0x1A;
// and a file that is no folder.
void WriteSampleMail(const std::string& dir) {
  struct Folder {
    const char* file;
    const char* name;
    const char* identifier;
    int messages;
  };
  constexpr Folder kFolders[] = {
      {"FOL01355.PMM", "Family", "6047572E:6F49:FOL01355", 12},
      {"FOL02A1C.PMM", "Club newsletters", "60475B12:0A3D:FOL02A1C", 40},
      {"FOL0313F.PMM", "Invoices 2026", "6047601F:1C22:FOL0313F", 7},
      {"FOL04B77.PMM", "Holiday plans", "604762A0:5E10:FOL04B77", 3},
      {"ARCHIVE2019.PMM", "Archive 2019-2024", "5C2A1B00:0001:ARCHIVE", 250},
      {"FOL05D20.PMM", "Projects", "60476811:7A01:FOL05D20", 0}};
  vantrel::testing::WhileHeld(
      [&] { return CreateDirectoryW(vantrel::testing::Wide(dir).c_str(), nullptr) != FALSE; });
  for (const Folder& folder : kFolders) {
    std::string bytes = vantrel::testing::FolderFileHeader(folder.name, folder.identifier);
    for (int i = 1; i <= folder.messages; ++i) {
      const std::string n = std::to_string(i);
      bytes +=
          "From: Anne Example <anne@example.org>\r\nTo: Ben Sample <ben@example.net>\r\n"
          "Date: Mon, " +
          n + " Nov 2026 09:00:00 +0000\r\nSubject: " + folder.name + ", note " + n +
          "\r\n\r\nHello Ben,\r\n\r\nA few lines about " + folder.name + ".\r\n\r\nAnne\r\n\x1a";
    }
    vantrel::testing::WriteWhole(dir + "\\" + folder.file, bytes);
  }
  vantrel::testing::WriteWhole(dir + "\\README.TXT", "not a folder\r\n");
}

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
  if (command == "sample" && argc > 2) {
    WriteSampleMail(argv[2]);
    return 0;
  }
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
  std::fprintf(stderr, "usage: vantrel_probe sample DIR|show|quit\n");
  return 2;
}
