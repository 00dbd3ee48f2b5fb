#pragma once

#include <cstddef>
#include <vector>

namespace vantrel::bench {

// The Win32 calls any scan of the current directory needs, and nothing else: list "*.PMM",
// open each file, read 128 bytes, close. Returns the bytes read.
std::size_t BareScanLoop();

double Seconds();
double Median(std::vector<double> values);

}  // namespace vantrel::bench
