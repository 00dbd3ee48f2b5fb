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

}  // namespace vantrel
