#include "ui/main_window.h"

#include <richedit.h>

#include <new>

#include "app/error_record.h"
#include "app/floating_point_state.h"
#include "report/win32_file_system.h"
#include "ui/about_box.h"
#include "ui/dialog_engine.h"
#include "ui/report_control.h"

namespace vantrel {
namespace {

constexpr std::uint32_t kMainWindowStyle = WS_SYSMENU | WS_MINIMIZEBOX;
// Both scroll bars stay in place, greyed while the report fits (ES_DISABLENOSCROLL). When a
// scroll bar comes or goes, the rich-edit control lays out every line again, and under Wine that
// costs time growing with the square of the line count: 5,000 folders took 10 s to appear.
constexpr std::uint32_t kReportStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL |
                                       WS_TABSTOP | ES_WANTRETURN | ES_AUTOHSCROLL | ES_MULTILINE |
                                       ES_DISABLENOSCROLL;
static_assert(kReportStyle == 0x50313084);

}  // namespace

std::intptr_t QuitCallback(HWND__* dialog, std::uint32_t, std::uintptr_t, std::intptr_t) noexcept {
  CloseDialog(dialog, 1);
  return 0;
}

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ErrorRecord errors;
  // Registers the "richedit" class and stays loaded until the process ends. Loading it may
  // change the floating-point mode, which the program sets back.
  LoadLibraryA("RICHED32.DLL");
  LoadX87ControlWord(kProgramControlWord);

  SetDialogFont("Courier", 8);
  MainDialog = NewDialog(nullptr, kMainWindowTitle, -1, -1, 370, 270, kMainWindowStyle, 0);
  AddControl(ControlKind::PushButton, MainDialog, ID_ABOUT, "", "&Help/About", 10, 210, 90, 20, 0,
             0, &AboutCallback);
  AddControl(ControlKind::PushButton, MainDialog, ID_QUIT, "", "Quit", 220, 210, 90, 20, 0, 0,
             &QuitCallback);
  AddControl(ControlKind::ByClassName, MainDialog, ID_REPORT, "richedit", "", 10, 5, 350, 200,
             kReportStyle, 0, nullptr);

  try {
    const FolderReport report = BuildFolderReport(errors);
    FillReportControl(GetControl(MainDialog, ID_REPORT), report);
  } catch (const std::bad_alloc&) {
    errors.Note(kErrorTextStorage);
  }

  std::int32_t result = 0;
  ShowModal(MainDialog, nullptr, result);
  return 0;
}

}  // namespace vantrel
