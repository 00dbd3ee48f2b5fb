#include "ui/dialog_font.h"

namespace vantrel {

// Where the program has no per-thread run-time record, the setting lives in thread-local
// storage.
DialogFont& CurrentDialogFont() {
  thread_local DialogFont font = kStartupDialogFont;
  return font;
}

}  // namespace vantrel
