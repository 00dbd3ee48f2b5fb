#pragma once

#include <windows.h>

#include <cstdint>

namespace vantrel {

inline constexpr std::int32_t ID_ABOUT = 22;
inline constexpr std::int32_t ID_QUIT = 23;
inline constexpr std::int32_t ID_REPORT = 27;

inline constexpr char kMainWindowTitle[] = "Vantrel v2.1";

// The main window's dialog handle once it exists.
inline HWND MainDialog = nullptr;

// Bound to "Quit": ends the window with result 1.
std::intptr_t QuitCallback(HWND__* dialog, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) noexcept;

// The main routine: builds the window, fills it with the report of the current directory and
// runs it until it is closed. Its arguments are not used; it returns 0.
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand);

}  // namespace vantrel
