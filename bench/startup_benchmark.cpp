// Times vantrel.exe from process start until its report is readable in a visible window, for
// an empty directory and for a directory of many folders, and compares the difference with what
// no program showing that report can avoid: a bare loop of the scan's Win32 calls over the same
// folders, and a bare rich-edit control taking the same report text.
// Usage: startup_benchmark [folders] [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "report/win32_file_system.h"
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
      vantrel::testing::kStartMs);
  const double elapsed = Seconds() - start;
  if (!shown) return -1;
  // As a click reports itself: BM_CLICK may fail while the window is not active.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_QUIT, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, ID_QUIT)));
  return program.WaitForExit() == std::optional<DWORD>(0) ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

  const vantrel::testing::TempDirectory empty, full;
  vantrel::testing::WriteNumberedFolders(full, folders);

  vantrel::ErrorRecord errors;
  vantrel::FolderReport report;
  {
    const vantrel::testing::CurrentDirectoryScope inDirectory(full.path());
    report = vantrel::BuildFolderReport(errors);
  }

  std::vector<double> emptyTimes, fullTimes, bareTimes, fillTimes, paintTimes;
  TimeToReport(full.path());  // warm caches and the Wine server
  for (int round = 0; round < rounds; ++round) {
    emptyTimes.push_back(TimeToReport(empty.path()));
    fullTimes.push_back(TimeToReport(full.path()));
    {
      const vantrel::testing::CurrentDirectoryScope inDirectory(full.path());
      const double start = Seconds();
      vantrel::bench::BareScanLoop();
      bareTimes.push_back(Seconds() - start);
    }
    const vantrel::bench::BareFill fill = vantrel::bench::BareFillReport(report.view());
    fillTimes.push_back(fill.fill);
    paintTimes.push_back(fill.showAndPaint);
  }
  const double emptyMedian = Median(emptyTimes), fullMedian = Median(fullTimes),
               bareMedian = Median(bareTimes), fillMedian = Median(fillTimes),
               paintMedian = Median(paintTimes);
  const double added = fullMedian - emptyMedian;
  std::printf("folders %d, rounds %d, report %zu bytes\n", folders, rounds, report.size());
  std::printf("start to report: empty directory %.3f s, %d folders %.3f s\n", emptyMedian, folders,
              fullMedian);
  std::printf("bare loop %.3f s; (folders - empty) / bare loop = %.2f\n", bareMedian,
              added / bareMedian);
  std::printf(
      "bare fill %.3f s (then shown and painted in %.3f s); (folders - empty) / (bare loop"
      " + bare fill) = %.2f\n",
      fillMedian, paintMedian, added / (bareMedian + fillMedian));
  return 0;
}
