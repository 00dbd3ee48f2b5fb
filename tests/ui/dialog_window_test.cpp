#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/floating_point_state.h"
#include "report/folder_report.h"
#include "report/win32_file_system.h"
#include "support/code_page.h"
#include "support/wine.h"
#include "ui/dialog_engine.h"
#include "ui/main_window.h"
#include "ui/test_dialogs.h"
#include "ui/utf8_code_page.h"
#include "ui/window_registry.h"

namespace vantrel {
namespace {

using testing::MakeDialog;

INT_PTR Ignore(HWND, UINT, WPARAM, LPARAM) noexcept {
  return 0;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The default face of a rich-edit control.
std::string FaceOf(HWND richEdit) {
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  SendMessageA(richEdit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  return format.szFaceName;
}

// The control's rectangle in the dialog's client coordinates.
RECT PlacementOf(HWND control) {
  RECT box;
  GetWindowRect(control, &box);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
  return box;
}

POINT CornerInPixels(HWND dialog, LONG x, LONG y) {
  RECT corner{x, y, x, y};
  MapDialogRect(dialog, &corner);
  return {corner.left, corner.top};
}

class DialogFontScope {
 public:
  DialogFontScope(const char* face, std::int32_t size) { SetDialogFont(face, size); }
  ~DialogFontScope() { SetDialogFont(saved_.Face(), static_cast<std::int32_t>(saved_.pointSize)); }

 private:
  DialogFont saved_ = CurrentDialogFont();
};

TEST(NewDialogTest, HiddenRegisteredAndBuiltFromTheTemplate) {
  const std::size_t before = EngineRegistry().Count();
  HWND dialog;
  {
    const DialogFontScope font("Courier", 266);
    dialog = NewDialog(nullptr, "Engine test", 20, 30, 200, 100,
                       WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SYSMODAL, WS_EX_TOOLWINDOW);
  }
  ScopedWindow window(dialog);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_VISIBLE | DS_SYSMODAL), 0);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
            WS_EX_TOOLWINDOW);
  EXPECT_EQ(TextOf(dialog), "Engine test");

  const auto record = EngineRegistry().Find(dialog);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(EngineRegistry().Count(), before + 1);
  EXPECT_FALSE(record->isControl);
  EXPECT_EQ(record->parent, nullptr);
  EXPECT_EQ(record->showCommand, SW_SHOW);
  EXPECT_EQ(record->result, nullptr);
  ASSERT_NE(record->font, nullptr);
  EXPECT_EQ(reinterpret_cast<LRESULT>(record->font), SendMessageA(dialog, WM_GETFONT, 0, 0));

  LOGFONTA font;
  ASSERT_EQ(GetObjectA(record->font, sizeof font, &font), int{sizeof font});
  EXPECT_STREQ(font.lfFaceName, "Courier");
  const HDC screen = GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);

  DestroyWindow(dialog);
  EXPECT_EQ(EngineRegistry().Count(), before);
}

TEST(AddControlTest, ControlsSitAtTheirConvertedCornersWithTheDialogsFont) {
  LoadLibraryA("RICHED32.DLL");
  struct Case {
    ControlKind kind;
    const char* className;
    std::int32_t id;
    LONG x, y, width, height;
    std::uint32_t style;
    const char* windowClass;
    std::uint32_t windowStyle;
    std::uint32_t styleOfItsOwn = 0;  // bits the control itself changes
  };
  const Case cases[] = {
      {ControlKind::PushButton, "", 22, 7, 3, 5, 9, 0, "Button", 0x50010000},
      {ControlKind::PushButton, "", 23, 13, 15, 7, 11, BS_FLAT, "Button", 0x50008000},
      {ControlKind::ByClassName, "EDIT", 24, 9, 21, 33, 13, 0x50010080, "Edit", 0x50010080},
      // Wine's rich edit shows its scroll bars only when the text needs them.
      {ControlKind::ByClassName, "richedit", 27, 10, 5, 150, 60, 0x50311084, "RichEdit", 0x50311084,
       WS_HSCROLL | WS_VSCROLL},
  };
  ScopedWindow dialog(MakeDialog());
  const auto font = SendMessageA(dialog.get(), WM_GETFONT, 0, 0);
  bool sizeConvertedAloneDiffers = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.windowClass);
    const HWND control = AddControl(c.kind, dialog.get(), c.id, c.className, "Text", c.x, c.y,
                                    c.width, c.height, c.style, 0, Ignore);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetControl(dialog.get(), c.id), control);
    EXPECT_EQ(GetParent(control), dialog.get());
    EXPECT_STRCASEEQ(ClassOf(control).c_str(), c.windowClass);
    EXPECT_EQ(static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE)) & ~c.styleOfItsOwn,
              c.windowStyle & ~c.styleOfItsOwn);
    EXPECT_EQ(TextOf(control), "Text");
    if (const auto answered = SendMessageA(control, WM_GETFONT, 0, 0)) {
      EXPECT_EQ(answered, font);
    } else {
      EXPECT_EQ(FaceOf(control), "MS Sans Serif");  // rich edit does not answer WM_GETFONT
    }

    const POINT topLeft = CornerInPixels(dialog.get(), c.x, c.y);
    const POINT bottomRight = CornerInPixels(dialog.get(), c.x + c.width, c.y + c.height);
    const RECT placed = PlacementOf(control);
    EXPECT_EQ(placed.left, topLeft.x);
    EXPECT_EQ(placed.top, topLeft.y);
    EXPECT_EQ(placed.right, bottomRight.x);
    EXPECT_EQ(placed.bottom, bottomRight.y);
    const POINT sizeAlone = CornerInPixels(dialog.get(), c.width, c.height);
    sizeConvertedAloneDiffers |=
        sizeAlone.x != placed.right - placed.left || sizeAlone.y != placed.bottom - placed.top;

    const auto record = EngineRegistry().Find(control);
    ASSERT_TRUE(record.has_value());
    EXPECT_TRUE(record->isControl);
    EXPECT_EQ(record->parent, dialog.get());
    EXPECT_EQ(record->callback, &Ignore);
  }
  EXPECT_TRUE(sizeConvertedAloneDiffers) << "no case tells the two conversions apart";
}

TEST(AddControlTest, WindowsThatCannotBeMadeLeaveNoTrace) {
  ScopedWindow dialog(MakeDialog());
  ScopedWindow foreign(testing::MakeForeignWindow());
  const std::size_t before = EngineRegistry().Count();
  EXPECT_EQ(AddControl(ControlKind::ByClassName, dialog.get(), 5, "NoSuchClass", "", 1, 1, 9, 9,
                       WS_CHILD | WS_VISIBLE, 0, Ignore),
            nullptr);
  EXPECT_EQ(AddControl(ControlKind::PushButton, foreign.get(), 5, "", "", 1, 1, 9, 9, 0, 0, Ignore),
            nullptr);
  EXPECT_EQ(AddControl(ControlKind::PushButton, nullptr, 5, "", "", 1, 1, 9, 9, 0, 0, Ignore),
            nullptr);
  EXPECT_EQ(AddControl(static_cast<ControlKind>(2), dialog.get(), 5, "BUTTON", "", 1, 1, 9, 9, 0, 0,
                       Ignore),
            nullptr);
  EXPECT_EQ(GetWindow(dialog.get(), GW_CHILD), nullptr);
  EXPECT_EQ(GetWindow(foreign.get(), GW_CHILD), nullptr);
  EXPECT_EQ(EngineRegistry().Count(), before);
}

TEST(AddControlTest, StyleByClassNameIsUsedExactly) {
  ScopedWindow dialog(MakeDialog());
  const HWND hidden = AddControl(ControlKind::ByClassName, dialog.get(), 5, "STATIC", "", 1, 1, 9,
                                 9, WS_CHILD, 0, nullptr);
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(GetWindowLongA(hidden, GWL_STYLE), WS_CHILD);
  // Id 0: a window that is no child takes the id argument as its menu.
  const HWND popup = AddControl(ControlKind::ByClassName, dialog.get(), 0, "STATIC", "", 1, 1, 9, 9,
                                WS_POPUP, 0, nullptr);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(GetWindowLongA(popup, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), 0);
  EXPECT_EQ(GetAncestor(popup, GA_PARENT), GetDesktopWindow());
}

WNDPROC dialogProcedure = nullptr;
std::vector<WPARAM> defaultIds;

LRESULT CALLBACK WatchDefaultId(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DM_SETDEFID) defaultIds.push_back(wParam);
  return CallWindowProcA(dialogProcedure, window, message, wParam, lParam);
}

TEST(AddControlTest, DefaultPushButtonBecomesTheDialogsDefault) {
  ScopedWindow dialog(MakeDialog());
  dialogProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(dialog.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchDefaultId)));
  defaultIds.clear();
  AddControl(ControlKind::PushButton, dialog.get(), 31, "", "Plain", 1, 1, 30, 10, 0, 0, Ignore);
  const HWND button = AddControl(ControlKind::PushButton, dialog.get(), 32, "", "Default", 1, 20,
                                 30, 10, BS_DEFPUSHBUTTON, 0, Ignore);
  EXPECT_EQ(GetWindowLongA(button, GWL_STYLE), 0x50000001);
  EXPECT_EQ(defaultIds, std::vector<WPARAM>{32});
  EXPECT_EQ(SendMessageA(dialog.get(), DM_GETDEFID, 0, 0), MAKELRESULT(32, DC_HASDEFID));
}

// A control whose text handling changes the floating-point mode, as some DLLs do.
std::string receivedText;
LRESULT CALLBACK CarelessTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    receivedText = reinterpret_cast<const char*>(lParam);
    LoadX87ControlWord(0x027F);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(SetControlTextTest, TextEndsAtItsFirstNulAndTheFloatingPointModeSurvives) {
  WNDCLASSA careless{};
  careless.lpfnWndProc = CarelessTextProc;
  careless.hInstance = GetModuleHandleA(nullptr);
  careless.lpszClassName = "VantrelCarelessText";
  RegisterClassA(&careless);
  ScopedWindow dialog(MakeDialog());
  const HWND edit = AddControl(ControlKind::ByClassName, dialog.get(), 1, "EDIT", "old text", 1, 1,
                               50, 10, WS_CHILD | WS_VISIBLE, 0, nullptr);
  const HWND other = AddControl(ControlKind::ByClassName, dialog.get(), 2, careless.lpszClassName,
                                "", 1, 20, 50, 10, WS_CHILD, 0, nullptr);
  ASSERT_NE(other, nullptr);

  SetControlText(edit, std::string("New\tline\0hidden", 15));
  EXPECT_EQ(TextOf(edit), "New\tline");

  LoadX87ControlWord(kProgramControlWord);
  const std::uint16_t programWord = X87ControlWord();
  SetControlText(other, "x");
  EXPECT_EQ(receivedText, "x");
  EXPECT_EQ(X87ControlWord(), programWord);
  SetControlText(nullptr, "nowhere");
}

bool MultiByteCodePage() {
  CPINFO info{};
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize >= 2;
}

// Characters of two or more bytes in the ANSI code page that come back unchanged: two bytes in
// a double-byte code page; in UTF-8 two (Greek, Cyrillic), three (CJK) and four (emoji, a
// surrogate pair in UTF-16).
std::vector<std::string> MultiByteCharacters() {
  std::vector<std::wstring> candidates;
  for (wchar_t unit = 0x0391; unit < 0x0450; unit += 11) candidates.emplace_back(1, unit);
  for (wchar_t unit = 0x4E00; unit < 0xD7A4; unit += 37) candidates.emplace_back(1, unit);
  for (wchar_t low = 0xDE00; low < 0xDE50; low += 3) candidates.push_back({0xD83D, low});
  std::vector<std::string> found;
  for (const std::wstring& candidate : candidates) {
    const int units = static_cast<int>(candidate.size());
    char bytes[8];
    const int size = WideCharToMultiByte(CP_ACP, 0, candidate.data(), units, bytes, sizeof bytes,
                                         nullptr, nullptr);
    wchar_t back[2] = {};
    if (size >= 2 && MultiByteToWideChar(CP_ACP, 0, bytes, size, back, 2) == units &&
        std::wstring(back, static_cast<std::size_t>(units)) == candidate) {
      found.emplace_back(bytes, static_cast<std::size_t>(size));
    }
  }
  return found;
}

std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A report control with the main window's styles, in a dialog of its own.
HWND AddReportControl(HWND dialog) {
  LoadRichEditLibrary();
  return AddControl(ControlKind::ByClassName, dialog, 27, "richedit", "", 10, 5, 350, 200,
                    0x50311084, 0, nullptr);
}

// Rows of double-byte or UTF-8 names and texts, some cut inside a character, reach the control
// byte for byte however the control is handed them in pieces: its 4,096-byte pieces would
// otherwise end inside characters, each converted on its own.
TEST(ReportControlTest, MultiByteReportReachesTheControlByteForByte) {
  testing::ExpectTheCodePageOfThisRun();
  if (testing::ManifestAsksForUtf8() && GetACP() != CP_UTF8) {
    GTEST_SKIP() << "needs code page 65001, which Windows gives this program from Windows 10 "
                    "version 1903 on; this one runs under "
                 << GetACP();
  }
  if (!MultiByteCodePage()) {
    GTEST_SKIP() << "needs code page 932, 936, 949, 950 or 65001; this system's is " << GetACP();
  }
  const std::vector<std::string> characters = MultiByteCharacters();
  ASSERT_GE(characters.size(), 100u);
  if (GetACP() == CP_UTF8) {
    for (const std::size_t length : {2u, 3u, 4u}) {
      EXPECT_TRUE(std::any_of(characters.begin(), characters.end(),
                              [&](const std::string& c) { return c.size() == length; }))
          << "no character of " << length << " bytes";
    }
  }
  std::size_t next = 0;
  const auto text = [&](std::size_t count) {
    std::string run;
    for (std::size_t i = 0; i < count; ++i) run += characters[next++ * 7 % characters.size()];
    return run;
  };

  ErrorRecord errors;
  FolderReport report;
  report.Append(kReportHeading);
  for (std::size_t row = 0; row < 1200; ++row) {
    // Names of 11 or 12 bytes before ".PMM" are cut inside a character; identifiers of 41 bytes
    // end inside one, as a cut header field does.
    const std::string name = (row % 2 != 0 ? "a" : "") + text(row % 7) + ".PMM";
    const std::string identifier = text(21).substr(0, 41);
    const std::string friendlyName = text(row % 23) + " " + text(row % 5);
    AppendFolderRow(report,
                    {.name = name,
                     .identifier = row % 3 == 0 ? std::string_view(identifier) : "ID",
                     .size = row * 1000,
                     .friendlyName = friendlyName},
                    errors, AnsiCodePageCharacters());
  }

  ScopedWindow dialog(MakeDialog());
  const HWND control = AddReportControl(dialog.get());
  ASSERT_NE(control, nullptr);
  FillReportControl(control, report.view());

  std::string shown(report.size() * 2 + 1, '\0');
  shown.resize(static_cast<std::size_t>(
      SendMessageA(control, WM_GETTEXT, shown.size(), reinterpret_cast<LPARAM>(shown.data()))));
  EXPECT_TRUE(shown == report.view()) << "shown " << shown.size() << " bytes of " << report.size();
  // Rows shown otherwise than built: a character split between two pieces, or a TAB or line
  // end taken as the trail byte of a cut character.
  const std::vector<std::string_view> shownLines = LinesOf(shown);
  const std::vector<std::string_view> reportLines = LinesOf(report.view());
  std::size_t brokenRows = 0;
  for (std::size_t line = 0; line < std::min(shownLines.size(), reportLines.size()); ++line) {
    if (shownLines[line] != reportLines[line]) ++brokenRows;
  }
  EXPECT_EQ(brokenRows, 0u);
  EXPECT_EQ(shownLines.size(), 1201u);
}

// In the report's fixed-pitch font every size, right-aligned in its 12 bytes after an
// identifier of 22, ends where the heading's "Size" does.
TEST(ReportControlTest, SizesShareOneRightEdge) {
  if (testing::UnderWine()) {
    GTEST_SKIP() << "Wine gives a space that directly follows a TAB no width (its Uniscribe puts "
                    "it in an item of the TAB's script and shapes it zero-width), so a size's "
                    "leading spaces take no room";
  }
  ErrorRecord errors;
  FolderReport report;
  report.Append(kReportHeading);
  for (const std::uint64_t size : {7u, 50u, 128u, 1000u, 65536u, 1000000u, 999999999u}) {
    AppendFolderRow(report,
                    {.name = "INBOX.PMM",
                     .identifier = "6047572E:6F49:FOL01355",
                     .size = size,
                     .friendlyName = "Inbox"},
                    errors, AnsiCodePageCharacters());
  }
  const DialogFontScope font("Courier", 8);
  ScopedWindow dialog(MakeDialog());
  const HWND control = AddReportControl(dialog.get());
  ASSERT_NE(control, nullptr);
  FillReportControl(control, report.view());

  std::vector<LONG> edges;
  for (WPARAM line = 0; line < 8; ++line) {
    POINTL end{};
    const LRESULT start = SendMessageA(control, EM_LINEINDEX, line, 0);
    SendMessageA(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&end), start + 48);
    edges.push_back(end.x);
  }
  ASSERT_GT(edges[0], 0);
  EXPECT_EQ(edges, std::vector<LONG>(8, edges[0]));
}

}  // namespace
}  // namespace vantrel
