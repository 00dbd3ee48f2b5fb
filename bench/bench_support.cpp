#include "bench_support.h"

#include <windows.h>

#include <algorithm>

#include "app/scoped_win.h"

namespace vantrel::bench {

std::size_t BareScanLoop() {
  std::size_t bytes = 0;
  WIN32_FIND_DATAA data;
  const ScopedSearch search(FindFirstFileA("*.PMM", &data));
  if (!search.valid()) return 0;
  do {
    const ScopedFile file(CreateFileA(data.cFileName, GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) continue;
    char header[128];
    DWORD read = 0;
    ReadFile(file.get(), header, sizeof header, &read, nullptr);
    bytes += read;
  } while (FindNextFileA(search.get(), &data));
  return bytes;
}

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace vantrel::bench
