#include "ui/dialog_font.h"

#include <algorithm>

namespace vantrel {

DialogFont MakeDialogFont(std::string_view face, std::int32_t pointSize) {
  DialogFont font;
  face = face.substr(0, std::min(face.find('\0'), kDialogFaceLimit));
  std::copy(face.begin(), face.end(), font.face.begin());
  font.pointSize = static_cast<std::uint32_t>(pointSize) & 0xFFu;
  return font;
}

void SetDialogFont(std::string_view face, std::int32_t pointSize) {
  CurrentDialogFont() = MakeDialogFont(face, pointSize);
}

}  // namespace vantrel
