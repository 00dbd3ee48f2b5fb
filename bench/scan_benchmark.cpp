// Times BuildFolderReport against a bare loop of the Win32 calls any such scan needs (list,
// open, read 128 bytes, close) over the same generated directory, in one process.
// Usage: scan_benchmark [folders] [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "report/win32_file_system.h"
#include "support/temp_directory.h"

using vantrel::bench::BareScanLoop;
using vantrel::bench::Median;
using vantrel::bench::Seconds;

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

  vantrel::testing::TempDirectory dir;
  vantrel::testing::WriteNumberedFolders(dir, folders);
  const vantrel::testing::CurrentDirectoryScope inDirectory(dir.path());

  BareScanLoop();  // warm the caches both loops share
  std::vector<double> bare, scan;
  std::size_t reportSize = 0;
  for (int round = 0; round < rounds; ++round) {
    double start = Seconds();
    BareScanLoop();
    bare.push_back(Seconds() - start);

    start = Seconds();
    vantrel::ErrorRecord errors;
    reportSize = vantrel::BuildFolderReport(errors).size();
    scan.push_back(Seconds() - start);
  }
  const double bareMedian = Median(bare), scanMedian = Median(scan);
  std::printf("folders %d, rounds %d, report %zu bytes\n", folders, rounds, reportSize);
  std::printf("bare loop median %.3f s, BuildFolderReport median %.3f s, ratio %.2f\n", bareMedian,
              scanMedian, scanMedian / bareMedian);
  return 0;
}
