// Times BuildFolderReport against a bare loop of the Win32 calls any such scan needs (list,
// open, read 128 bytes, close) over the same generated directory, in one process.
// Usage: scan_benchmark [folders] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/win32_file_system.h"
#include "support/temp_directory.h"

namespace {

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::size_t BareLoop() {
  std::size_t bytes = 0;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA("*.PMM", &data);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    const HANDLE file =
        CreateFileA(data.cFileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char header[128];
    DWORD read = 0;
    ReadFile(file, header, sizeof header, &read, nullptr);
    bytes += read;
    CloseHandle(file);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return bytes;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

  vantrel::testing::TempDirectory dir;
  for (int i = 0; i < folders; ++i) {
    std::string header(128, '\0');
    const std::string name = "Folder number " + std::to_string(i);
    const std::string id = "6047572E:6F49:FOL" + std::to_string(10000 + i);
    header.replace(0, name.size(), name);
    header.replace(86, id.size(), id);
    dir.Write("F" + std::to_string(i) + ".PMM", header + "Message body\r\n\x1A");
  }
  const vantrel::testing::CurrentDirectoryScope inDirectory(dir.path());

  BareLoop();  // warm the caches both loops share
  std::vector<double> bare, scan;
  std::size_t reportSize = 0;
  for (int round = 0; round < rounds; ++round) {
    double start = Seconds();
    BareLoop();
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
