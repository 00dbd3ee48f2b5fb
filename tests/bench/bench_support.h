#pragma once

#include <cstddef>
#include <vector>

#include "support/temp_directory.h"

namespace vantrel::bench {

// The Win32 calls any scan of the current directory needs, and nothing else: list "*.PMM",
// open each file, read 128 bytes, close. Returns the bytes read.
std::size_t BareScanLoop();

double Seconds();
double Median(std::vector<double> values);

// Writes folder files F0.PMM ... with a header and one message each.
void WriteNumberedFolders(const testing::TempDirectory& dir, int count);

}  // namespace vantrel::bench
