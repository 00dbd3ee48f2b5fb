#include "ui/dialog_font.h"

namespace vantrel {

void SetDialogFont(std::string_view face, std::int32_t pointSize) {
  CurrentDialogFont() = MakeDialogFont(face, pointSize);
}

}  // namespace vantrel
