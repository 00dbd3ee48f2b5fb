#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/dialog_engine.h"

namespace vantrel::testing {

// Destroys a window at the end of a scope unless it is gone already.
class ScopedWindow {
 public:
  explicit ScopedWindow(HWND window) : window_(window) {}
  ~ScopedWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  ScopedWindow(const ScopedWindow&) = delete;
  ScopedWindow& operator=(const ScopedWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// A hidden engine dialog, 200 x 100 dialog units.
HWND MakeDialog(std::uint32_t style = 0, HWND parent = nullptr);

// A hidden top-level window the engine knows nothing of.
HWND MakeForeignWindow();

// ShowModal under a safety timer: a run still going after a few seconds has its dialog
// destroyed and fails the test; a loop that outlives its window ends the program.
void RunModal(HWND dialog, DialogCallback callback, std::int32_t& result);

}  // namespace vantrel::testing
