#pragma once

#include <cstdint>

struct HWND__;

namespace vantrel {

// A routine bound to one control. It is called with the dialog's handle, not the control's. A
// result of 0 means "not consumed"; any other value is the message's result.
using ControlCallback = std::intptr_t (*)(HWND__* dialog, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam);

// The same shape for a whole dialog: it sees every message that no control callback consumed.
using DialogCallback = std::intptr_t (*)(HWND__* dialog, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam);

// Calls a program routine for the platform. An exception must not unwind through the
// platform's frames, so one that escapes counts as "not consumed".
inline std::intptr_t CallGuarded(ControlCallback callback, HWND__* dialog, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam) noexcept {
  try {
    return callback(dialog, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace vantrel
