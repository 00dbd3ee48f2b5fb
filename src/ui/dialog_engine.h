#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "ui/dialog_font.h"
#include "ui/dialog_template.h"
#include "ui/window_registry.h"

namespace vantrel {

// A dialog described in a few calls, without resources: SetDialogFont, NewDialog, AddControl
// for each control, SetControlText, then ShowModal until a callback calls CloseDialog.
// Positions and sizes are dialog units. Failures show only as a 0 handle or as nothing
// happening; nothing here shows a message or records an error.

// Creates a hidden dialog; x or y of -1 centres it. 0 when the platform refuses it or it
// cannot be registered.
HWND NewDialog(HWND parent, std::string_view title, std::int32_t x, std::int32_t y,
               std::int32_t width, std::int32_t height, std::uint32_t style,
               std::uint32_t extendedStyle);

// Adds a child window to an engine dialog and binds `callback` (may be null) to it. The class
// name counts only for ControlKind::ByClassName. 0 when `dialog` is not the engine's or the
// platform cannot create the window.
HWND AddControl(ControlKind kind, HWND dialog, std::int32_t id, std::string_view className,
                std::string_view text, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height, std::uint32_t style, std::uint32_t extendedStyle,
                ControlCallback callback);

// The dialog's child with that id, or 0.
HWND GetControl(HWND dialog, std::int32_t id);

// Replaces the control's whole text; the text ends at its first NUL byte.
void SetControlText(HWND control, std::string_view text);

// Shows the dialog and runs its messages until the window is gone. `result` receives what
// CloseDialog is given and is left alone when the dialog goes any other way. Returns at once
// for a window the engine did not create.
void ShowModal(HWND dialog, DialogCallback dialogCallback, std::int32_t& result);

// Ends a dialog: its callbacks see WM_CLOSE, a modal run's result is stored, the window goes.
void CloseDialog(HWND dialog, std::int32_t result);

// The dialog procedure of every engine dialog; only the platform calls it.
INT_PTR CALLBACK EngineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vantrel
