#include "ui/dialog_font.h"

namespace vantrel {

// Until the program keeps a record per thread, the setting lives in thread-local storage.
DialogFont& CurrentDialogFont() {
  thread_local DialogFont font = MakeDialogFont("MS Sans Serif", 8);
  return font;
}

}  // namespace vantrel
