#pragma once

#include <string_view>

#include "app/error_record.h"
#include "app/text.h"
#include "app/win32_names.h"

namespace vantrel {

inline constexpr char kAboutCaption[] = "Vantrel";

// What the About box says: what the utility does, then notice, supplier, e-mail and web lines.
// Every line ends in CR LF, the last one included. Refused storage is noted in `errors`.
Text AboutText(ErrorRecord& errors);

// A platform message box without owner; returns the id of the button that closed it.
int ShowMessageBox(const char* text, UINT style, const char* caption);

// Bound to "&Help/About": shows the About text in a box with one OK button. Leaves every
// message to the engine's default handling.
INT_PTR AboutCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace vantrel
