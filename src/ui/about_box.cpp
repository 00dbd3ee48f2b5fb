#include "ui/about_box.h"

#include "app/floating_point_state.h"

namespace vantrel {

int ShowMessageBox(const char* text, UINT style, const char* caption) {
  const SavedFloatingPointState floatingPoint;
  Sleep(5);
  return MessageBoxA(nullptr, text, caption, style);
}

INT_PTR AboutCallback(HWND, UINT, WPARAM, LPARAM) noexcept {
  ErrorRecord errors;
  const Text text = AboutText(errors);
  ShowMessageBox(text.c_str(), MB_OK, kAboutCaption);
  return 0;
}

}  // namespace vantrel
