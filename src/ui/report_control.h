#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel {

// Replaces the whole text of a rich-edit control with `report`, raising the control's text
// limit first so that every row of a large directory is shown.
void FillReportControl(HWND control, std::string_view report) noexcept;

}  // namespace vantrel
