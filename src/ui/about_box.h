#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace vantrel {

// A platform message box without owner; returns the id of the button that closed it.
int ShowMessageBox(std::string_view text, UINT style, std::string_view caption);

// Bound to "&Help/About": shows the About text in a box with one OK button. Leaves every
// message to the engine's default handling.
std::intptr_t AboutCallback(HWND__* dialog, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) noexcept;

}  // namespace vantrel
