#pragma once

#include <windows.h>

#include <cstdint>

#include "app/scoped_win.h"
#include "ui/dialog_engine.h"

namespace vantrel::testing {

// A hidden engine dialog, 200 x 100 dialog units.
HWND MakeDialog(std::uint32_t style = 0, HWND parent = nullptr);

// A hidden top-level window the engine knows nothing of.
HWND MakeForeignWindow();

// ShowModal under a safety timer: a run still going after a few seconds has its dialog
// destroyed and fails the test; a loop that outlives its window ends the program.
void RunModal(HWND dialog, DialogCallback callback, std::int32_t& result);

}  // namespace vantrel::testing
