#include "ui/about_box.h"

#include <new>
#include <string>

#include "app/error_record.h"
#include "app/floating_point_state.h"
#include "ui/about_text.h"

namespace vantrel {

int ShowMessageBox(std::string_view text, UINT style, std::string_view caption) {
  const SavedFloatingPointState floatingPoint;
  const std::string textZ(text), captionZ(caption);
  Sleep(5);
  return MessageBoxA(nullptr, textZ.c_str(), captionZ.c_str(), style);
}

std::intptr_t AboutCallback(HWND__*, std::uint32_t, std::uintptr_t, std::intptr_t) noexcept {
  ErrorRecord errors;
  try {
    ShowMessageBox(AboutText(), MB_OK, kAboutCaption);
  } catch (const std::bad_alloc&) {
    errors.Note(kErrorTextStorage);
  }
  return 0;
}

}  // namespace vantrel
