#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "ui/version.h"

namespace vantrel {

inline constexpr std::int32_t ID_ABOUT = 22;
inline constexpr std::int32_t ID_QUIT = 23;
inline constexpr std::int32_t ID_REPORT = 27;

// The main window's dialog handle once it exists.
inline HWND MainDialog = nullptr;

// Bound to "Quit": ends the window with result 1.
INT_PTR QuitCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Replaces the whole text of a rich-edit control with `report`, and keeps the user room to
// type or paste into it, however long the report.
void FillReportControl(HWND control, std::string_view report);

inline constexpr char kRichEditLibrary[] = "RICHED32.DLL";

// SetDefaultDllDirectories, which Windows 8 and later have (Vista and 7 with KB2533623); null
// where the system lacks it.
using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
SetDefaultDllDirectoriesCall FindSetDefaultDllDirectories();

// Loads the rich-edit library from the system directory only. It is no KnownDLL, so a plain
// LoadLibrary would look in the program's own folder first and run whatever a download left
// there; the DLLs it loads in turn are kept to the system directory as well. Without
// `restrictSearch` (a system that lacks it, or a test that refuses it) the library is loaded
// by its full path. Null when it cannot be loaded.
HMODULE LoadRichEditLibrary(
    SetDefaultDllDirectoriesCall restrictSearch = FindSetDefaultDllDirectories());

// The main routine: builds the window, fills it with the report of the current directory and
// runs it until it is closed. Its arguments are not used; it returns 0.
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand);

}  // namespace vantrel
