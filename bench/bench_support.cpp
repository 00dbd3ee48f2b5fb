#include "bench_support.h"

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>

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

namespace {

struct Source {
  std::string_view rest;
};

DWORD CALLBACK ReadPiece(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto& source = *reinterpret_cast<Source*>(cookie);
  const std::size_t count = std::min(source.rest.size(), static_cast<std::size_t>(wanted));
  std::memcpy(buffer, source.rest.data(), count);
  source.rest.remove_prefix(count);
  *given = static_cast<LONG>(count);
  return 0;
}

void Stream(HWND control, std::string_view text) {
  Source source{text};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadPiece};
  SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace

BareFill BareFillReport(std::string_view report) {
  static const bool loaded = LoadLibraryA("RICHED32.DLL") != nullptr;
  static const ATOM parentClass = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "VantrelBareFill";
    return RegisterClassA(&windowClass);
  }();
  BareFill result;
  if (!loaded || parentClass == 0) return result;

  // The main window's size and the report's rectangle in pixels of its "Courier" 8 font.
  const ScopedWindow parent(CreateWindowExA(0, "VantrelBareFill", "bare fill",
                                            WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100,
                                            560, 470, nullptr, nullptr, nullptr, nullptr));
  const HWND control = CreateWindowExA(0, "richedit", "", 0x50311084, 15, 8, 525, 325,
                                       parent.get(), reinterpret_cast<HMENU>(27), nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  const HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                 0, "Courier");
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  double start = Seconds();
  SendMessageA(control, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(report.size() + 65536));
  std::size_t settling = 0;
  for (int row = 0; row < 64 && settling != std::string_view::npos; ++row) {
    settling = report.find('\n', settling);
    if (settling != std::string_view::npos) ++settling;
  }
  if (settling != std::string_view::npos) Stream(control, report.substr(0, settling));
  Stream(control, report);
  result.fill = Seconds() - start;

  start = Seconds();
  ShowWindow(parent.get(), SW_SHOW);
  UpdateWindow(parent.get());
  result.showAndPaint = Seconds() - start;
  DeleteObject(font);
  return result;
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
