#include "ui/main_window.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "app/error_record.h"
#include "app/floating_point_state.h"
#include "report/win32_file_system.h"
#include "ui/about_box.h"
#include "ui/dialog_engine.h"

namespace vantrel {
namespace {

constexpr std::uint32_t kMainWindowStyle = WS_SYSMENU | WS_MINIMIZEBOX;
constexpr std::uint32_t kReportStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL |
                                       WS_TABSTOP | ES_WANTRETURN | ES_AUTOHSCROLL | ES_MULTILINE;
static_assert(kReportStyle == 0x50311084);

// Room the user keeps for typing into the report once it is shown.
constexpr std::size_t kEditingRoom = 64 * 1024;
// Rows streamed in before the whole report; see FillReportControl.
constexpr std::size_t kSettlingRows = 64;

struct StreamSource {
  std::string_view rest;
  const AnsiCharacters& characters;
};

// The control converts each piece to Unicode on its own: a piece that ended inside a character
// would lose that character (UTF-8: as two replacement characters) and, in some double-byte
// code pages, pair every byte after it wrongly. So a piece ends between two characters, counted
// from the start of the piece, which is always between two characters itself.
DWORD CALLBACK ReadReport(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto& source = *reinterpret_cast<StreamSource*>(cookie);
  const ReportPiece piece = NextReportPiece(
      source.rest, static_cast<std::size_t>(std::max(wanted, LONG{0})), source.characters);
  std::copy(piece.bytes.begin(), piece.bytes.end(), buffer);
  source.rest.remove_prefix(piece.consumed);
  *given = static_cast<LONG>(piece.bytes.size());
  return 0;
}

// Replaces the control's whole text. Streaming rather than WM_SETTEXT: the rich-edit control
// takes a text holding TABs in time that grows much faster than its length.
void StreamText(HWND control, std::string_view text, const AnsiCharacters& characters) {
  StreamSource source{text, characters};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadReport};
  SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

// The first `rows` lines of `report`, or all of it.
std::string_view FirstRows(std::string_view report, std::size_t rows) {
  std::size_t end = 0;
  for (std::size_t row = 0; row < rows && end != std::string_view::npos; ++row) {
    end = report.find('\n', end);
    if (end != std::string_view::npos) ++end;
  }
  return end == std::string_view::npos ? report : Prefix(report, end);
}

}  // namespace

// Each time a scroll bar comes or goes, the rich-edit control lays out every line again, and
// under Wine that costs time growing with the square of the line count (5,000 rows: 4 s). A
// first screenful settles both scroll bars on a short text; the whole report then replaces it
// with a single layout.
void FillReportControl(HWND control, std::string_view report) {
  if (control == nullptr) return;
  const AnsiCharacters characters = AnsiCodePageCharacters();
  const SavedFloatingPointState floatingPoint;
  // The text limit bounds what the user types or pastes, not streamed text; left at its default
  // of 32,767, a longer report would leave the user no room at all.
  SendMessageA(control, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(report.size() + kEditingRoom));
  const std::string_view settling = FirstRows(report, kSettlingRows);
  if (settling.size() < report.size()) StreamText(control, settling, characters);
  StreamText(control, report, characters);
}

SetDefaultDllDirectoriesCall FindSetDefaultDllDirectories() {
  const FARPROC found =
      GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "SetDefaultDllDirectories");
  return reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void (*)()>(found));
}

HMODULE LoadRichEditLibrary(SetDefaultDllDirectoriesCall restrictSearch) {
  if (restrictSearch != nullptr && restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return LoadLibraryA(kRichEditLibrary);
  }
  // Windows without that call: the library by its full path, and the DLLs it loads looked for
  // beside it first.
  char path[MAX_PATH];
  const UINT directory = GetSystemDirectoryA(path, MAX_PATH);
  if (directory == 0 || directory + 1 + sizeof kRichEditLibrary > MAX_PATH) return nullptr;
  path[directory] = '\\';
  std::memcpy(path + directory + 1, kRichEditLibrary, sizeof kRichEditLibrary);
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

INT_PTR QuitCallback(HWND dialog, UINT, WPARAM, LPARAM) noexcept {
  CloseDialog(dialog, 1);
  return 0;
}

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ErrorRecord errors;
  // Registers the "richedit" class and stays loaded until the process ends. Loading it may
  // change the floating-point mode, which the program sets back.
  LoadRichEditLibrary();
  LoadX87ControlWord(kProgramControlWord);

  SetDialogFont("Courier", 8);
  MainDialog = NewDialog(nullptr, kMainWindowTitle, -1, -1, 370, 270, kMainWindowStyle, 0);
  AddControl(ControlKind::PushButton, MainDialog, ID_ABOUT, "", "&Help/About", 10, 210, 90, 20, 0,
             0, &AboutCallback);
  AddControl(ControlKind::PushButton, MainDialog, ID_QUIT, "", "Quit", 220, 210, 90, 20, 0, 0,
             &QuitCallback);
  AddControl(ControlKind::ByClassName, MainDialog, ID_REPORT, "richedit", "", 10, 5, 350, 200,
             kReportStyle, 0, nullptr);

  const FolderReport report = BuildFolderReport(errors);
  FillReportControl(GetControl(MainDialog, ID_REPORT), report.view());

  std::int32_t result = 0;
  ShowModal(MainDialog, nullptr, result);
  return 0;
}

}  // namespace vantrel
