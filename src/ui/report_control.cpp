#include "ui/report_control.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "app/floating_point_state.h"

namespace vantrel {
namespace {

// Room the user keeps for typing into the report once it is shown.
constexpr std::size_t kEditingRoom = 64 * 1024;

struct StreamSource {
  std::string_view rest;
};

DWORD CALLBACK ReadReport(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto& source = *reinterpret_cast<StreamSource*>(cookie);
  const std::size_t count = std::min(source.rest.size(), static_cast<std::size_t>(wanted));
  std::memcpy(buffer, source.rest.data(), count);
  source.rest.remove_prefix(count);
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

// Streaming rather than WM_SETTEXT: the rich-edit control replaces a text holding TABs in time
// that grows much faster than its length, several seconds for a few thousand rows.
void FillReportControl(HWND control, std::string_view report) noexcept {
  if (control == nullptr) return;
  const SavedFloatingPointState floatingPoint;
  SendMessageA(control, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(report.size() + kEditingRoom));
  StreamSource source{report};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadReport};
  SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace vantrel
