// Times vantrel.exe from process start until its report is readable in a visible window, for
// an empty directory and for a directory of many folders, and compares the difference with a
// bare loop of the scan's Win32 calls over the same folders.
// Usage: startup_benchmark [folders] [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "support/program_driver.h"
#include "support/temp_directory.h"
#include "ui/main_window.h"

using vantrel::bench::Median;
using vantrel::bench::Seconds;
using vantrel::testing::RunningProgram;

namespace {

using vantrel::ID_QUIT;
using vantrel::ID_REPORT;

// Seconds from process creation until the report shows, or a negative value on failure.
double TimeToReport(const std::string& directory) {
  const double start = Seconds();
  const RunningProgram program(vantrel::testing::ProgramCommand("vantrel.exe"), directory);
  HWND window = nullptr;
  const bool shown = program.WaitUntil(
      [&] {
        window =
            vantrel::testing::FindProcessWindow(program.id(), vantrel::kMainWindowTitle, "#32770");
        return window != nullptr && IsWindowVisible(window) &&
               SendMessageA(GetDlgItem(window, ID_REPORT), WM_GETTEXTLENGTH, 0, 0) > 0;
      },
      60000);
  const double elapsed = Seconds() - start;
  if (!shown) return -1;
  PostMessageA(GetDlgItem(window, ID_QUIT), BM_CLICK, 0, 0);
  return program.WaitForExit() == std::optional<DWORD>(0) ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

  const vantrel::testing::TempDirectory empty, full;
  vantrel::testing::WriteNumberedFolders(full, folders);

  std::vector<double> emptyTimes, fullTimes, bareTimes;
  TimeToReport(full.path());  // warm caches and the Wine server
  for (int round = 0; round < rounds; ++round) {
    emptyTimes.push_back(TimeToReport(empty.path()));
    fullTimes.push_back(TimeToReport(full.path()));
    const vantrel::testing::CurrentDirectoryScope inDirectory(full.path());
    const double start = Seconds();
    vantrel::bench::BareScanLoop();
    bareTimes.push_back(Seconds() - start);
  }
  const double emptyMedian = Median(emptyTimes), fullMedian = Median(fullTimes),
               bareMedian = Median(bareTimes);
  std::printf("folders %d, rounds %d\n", folders, rounds);
  std::printf("start to report: empty directory %.3f s, %d folders %.3f s\n", emptyMedian, folders,
              fullMedian);
  std::printf("bare loop %.3f s; (folders - empty) / bare loop = %.2f\n", bareMedian,
              (fullMedian - emptyMedian) / bareMedian);
  return 0;
}
