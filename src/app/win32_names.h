#pragma once

// The Win32 names that callback and handle signatures use. The Windows build takes them from
// <windows.h>; the native build, which has no Windows headers, gets stand-ins of the same shape.
#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdint>

struct HWND__;
struct HFONT__;
using HWND = HWND__*;
using HFONT = HFONT__*;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using INT_PTR = std::intptr_t;
#endif
