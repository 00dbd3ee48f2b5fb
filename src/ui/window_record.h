#pragma once

#include <cstdint>

#include "ui/callbacks.h"

struct HWND__;
struct HFONT__;

namespace vantrel {

// The engine's bookkeeping for one window it created: a dialog (NewDialog) or a control
// (AddControl).
struct WindowRecord {
  HWND__* window = nullptr;  // the key
  HWND__* parent = nullptr;  // a control's dialog; a dialog's parent as given to NewDialog
  bool isControl = false;
  // A control's ControlCallback, or the DialogCallback ShowModal was given; may be none.
  ControlCallback callback = nullptr;
  std::int32_t showCommand = 0;    // dialogs: how ShowModal shows it
  HFONT__* font = nullptr;         // dialogs: the font the platform made from the template
  std::int32_t* result = nullptr;  // dialogs in a modal run: where CloseDialog stores the result
};

}  // namespace vantrel
