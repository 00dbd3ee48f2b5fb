#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vantrel::bench {

// The Win32 calls any scan of the current directory needs, and nothing else: list "*.PMM",
// open each file, read 128 bytes, close. Returns the bytes read.
std::size_t BareScanLoop();

// What the platform alone costs to show a report: a hidden top-level window with a rich-edit
// control of the main window's style and font, given `report` as the program gives it (its
// text limit raised, the first 64 rows streamed, then all), then shown and painted once.
struct BareFill {
  double fill = 0;          // the two streams
  double showAndPaint = 0;  // ShowWindow and the first WM_PAINT of the window and the control
};
BareFill BareFillReport(std::string_view report);

double Seconds();
double Median(std::vector<double> values);

}  // namespace vantrel::bench
