// vantrel.exe as a user meets it: started in a mail directory, looked at and clicked from
// another process, through real windows and messages.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/scoped_win.h"
#include "report/win32_file_system.h"
#include "support/folder_text.h"
#include "support/program_driver.h"
#include "support/temp_directory.h"
#include "support/wine.h"
#include "ui/about_box.h"

namespace vantrel {
namespace {

using testing::RunningProgram;
using testing::TempDirectory;

// Written out here rather than taken from the program, so a changed constant shows.
constexpr char kTitle[] = "Vantrel v2.1";
constexpr char kHeading[] = "Foldername  \tIdentifier            \t        Size\tFriendly Name\r\n";
constexpr int kAbout = 22, kQuit = 23, kReport = 27;
// How long a message sent to the program may take before the case goes on without its answer,
// so that a program that has stopped answering fails the case rather than hangs the run.
constexpr UINT kAnswerMs = 60000;

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

// A hidden dialog made here from a template written out in full: the main window's style,
// "Courier" 8 and 370 x 270 dialog units. Its size and its dialog units are what the main
// window's must be.
HWND ReferenceDialog() {
  std::vector<WORD> units = {0x0854, 0x000A, 0, 0, 0, 0, 0, 370, 270, 0, 0};
  for (const char c : std::string_view(kTitle)) units.push_back(static_cast<WORD>(c));
  units.insert(units.end(), {0, 8});
  for (const char c : std::string_view("Courier")) units.push_back(static_cast<WORD>(c));
  units.push_back(0);
  return CreateDialogIndirectParamW(GetModuleHandleA(nullptr),
                                    reinterpret_cast<LPCDLGTEMPLATEW>(units.data()), nullptr,
                                    PassiveDialogProc, 0);
}

// Whether any control in `box` holds an icon.
bool ShowsIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_NORMAL, kAnswerMs, &icon) && icon != 0)
      return true;
  }
  return false;
}

// The face of a rich-edit control's default character format. The control writes it to an
// address in its own process, as such messages are not carried between processes.
std::string DefaultFace(HANDLE process, HWND control) {
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  void* remote = VirtualAllocEx(process, nullptr, sizeof format, MEM_COMMIT, PAGE_READWRITE);
  if (remote == nullptr || !WriteProcessMemory(process, remote, &format, sizeof format, nullptr))
    return "<no memory>";
  DWORD_PTR mask = 0;
  SendMessageTimeoutA(control, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(remote),
                      SMTO_NORMAL, kAnswerMs, &mask);
  ReadProcessMemory(process, remote, &format, sizeof format, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return format.szFaceName;
}

// User and kernel time of the thread of `window` so far, in 100 ns units; 0 when it cannot be
// had. The thread's own, as Wine does not keep another process's total up to date.
ULONGLONG CpuTime(HWND window) {
  const ScopedKernelHandle thread(
      OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetWindowThreadProcessId(window, nullptr)));
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) return 0;
  const auto units = [](FILETIME t) { return ULONGLONG{t.dwHighDateTime} << 32 | t.dwLowDateTime; };
  return units(kernel) + units(user);
}

// Where the dialog manager puts a DS_CENTER dialog along one axis of the work area: centred,
// then moved back where it would overhang the far edge (keeping a dialog frame's width to
// spare), then the near edge, so a window larger than the work area starts at its near edge.
// See DIALOG_CreateIndirect, "try to fit it into the desktop", in Wine's dlls/user32/dialog.c
// and ReactOS's win32ss/user/user32/windows/dialog.c.
LONG CentredStart(LONG workStart, LONG workEnd, LONG size, int frame) {
  LONG start = (workStart + workEnd - size) / 2;
  if (start + size + frame > workEnd) start = workEnd - size - frame;
  return std::max(start, workStart);
}

SIZE SizeOf(const RECT& rect) {
  return {rect.right - rect.left, rect.bottom - rect.top};
}

std::string FolderFile(const std::string& name, const std::string& identifier,
                       const std::string& messages) {
  return testing::FolderFileHeader(name, identifier) + messages;
}

// The report the program should show: the scan of that directory, run here.
std::string ReportOf(const std::string& directory) {
  const testing::CurrentDirectoryScope inDirectory(directory);
  ErrorRecord errors;
  return std::string(BuildFolderReport(errors).view());
}

class ProgramTest : public ::testing::Test {
 protected:
  // Starts vantrel.exe in `dir` and waits for its main window.
  void Start(std::optional<WORD> showWindow = std::nullopt, DWORD timeoutMs = testing::kStartMs) {
    program_.emplace(testing::ProgramCommand("vantrel.exe"), dir_.path(), showWindow);
    ASSERT_TRUE(program_->started());
    window_ = program_->WaitForWindow(kTitle, "#32770", timeoutMs);
    ASSERT_NE(window_, nullptr) << "no visible main window";
  }

  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::string ReportShown() const { return testing::WindowText(Control(kReport)); }
  // What a click makes the button send. BM_CLICK would be the click itself, but "if the button
  // is in a dialog box and the dialog box is not active, the BM_CLICK message might fail"
  // (Microsoft's BM_CLICK page), and Windows keeps a program started from a console behind it.
  void Click(int id) const {
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
  }

  HWND WaitForAboutBox() const { return program_->WaitForWindow("Vantrel", "#32770"); }

  void ExpectExitCode(DWORD expected) const {
    EXPECT_EQ(program_->WaitForExit(), std::optional<DWORD>(expected));
  }

  TempDirectory dir_;
  std::optional<RunningProgram> program_;
  HWND window_ = nullptr;
};

TEST_F(ProgramTest, ShowsTheReportOfItsDirectoryAndQuitEndsWithZero) {
  dir_.Write("FOL01355.PMM",
             FolderFile("Family", "6047572E:6F49:FOL01355", "From: a\r\n\r\nHi\r\n\x1A"));
  dir_.Write("ARCHIVE2019.PMM", FolderFile("Archive 2019-2024", "5C2A1B00:0001:ARCHIVE", ""));
  // Wine reports every Unix dot-file hidden, Windows none: the attribute is set here for both.
  dir_.Write(".HIDDEN.PMM", FolderFile("hidden", "H", ""));
  dir_.SetAttributes(".HIDDEN.PMM", FILE_ATTRIBUTE_HIDDEN);
  dir_.Write("NOTES.TXT", "not a folder");
  ASSERT_NO_FATAL_FAILURE(Start());

  std::string expected(kHeading);
  for (const std::string& name : testing::ListingOrder(dir_.PathOf("*.PMM"))) {
    if (name == "FOL01355.PMM")
      expected += "FOL01355.PMM\t6047572E:6F49:FOL01355\t         144\tFamily\r\n";
    if (name == "ARCHIVE2019.PMM")
      expected += "ARCHIVE2019.\t5C2A1B00:0001:ARCHIVE\t         128\tArchive 2019-2024\r\n";
  }
  EXPECT_EQ(ReportShown(), expected);

  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE) &
                (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CAPTION),
            WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION);
  struct Button {
    int id;
    const char* text;
  };
  for (const Button button : {Button{kAbout, "&Help/About"}, Button{kQuit, "Quit"}}) {
    EXPECT_EQ(testing::WindowText(Control(button.id)), button.text);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(Control(button.id), GWL_STYLE)), 0x50010000u);
  }
  // Editable, scrolling both ways, no line wrapping. The control shows and hides its scroll
  // bars as the text needs, so only those two bits may differ.
  constexpr DWORD kScrollBars = WS_VSCROLL | WS_HSCROLL;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(Control(kReport), GWL_STYLE)) & ~kScrollBars,
            0x50311084u & ~kScrollBars);
  EXPECT_EQ(DefaultFace(program_->handle(), Control(kReport)), "Courier");

  // Font, size and control rectangles: those of a dialog built here from literal values.
  const ScopedWindow reference(ReferenceDialog());
  ASSERT_TRUE(reference.valid());
  RECT window, expectedWindow;
  GetWindowRect(window_, &window);
  GetWindowRect(reference.get(), &expectedWindow);
  EXPECT_EQ(SizeOf(window).cx, SizeOf(expectedWindow).cx);
  EXPECT_EQ(SizeOf(window).cy, SizeOf(expectedWindow).cy);
  // Centred on its monitor's work area, to the pixel, as far as the work area allows.
  MONITORINFO monitor{sizeof monitor};
  GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  EXPECT_EQ(window.left, CentredStart(work.left, work.right, SizeOf(window).cx,
                                      GetSystemMetrics(SM_CXDLGFRAME)));
  EXPECT_EQ(window.top, CentredStart(work.top, work.bottom, SizeOf(window).cy,
                                     GetSystemMetrics(SM_CYDLGFRAME)));
  struct Placement {
    int id;
    RECT dialogUnits;
  };
  for (const Placement p :
       {Placement{kAbout, {10, 210, 100, 230}}, Placement{kQuit, {220, 210, 310, 230}},
        Placement{kReport, {10, 5, 360, 205}}}) {
    SCOPED_TRACE(p.id);
    RECT expectedBox = p.dialogUnits, box;
    MapDialogRect(reference.get(), &expectedBox);
    GetWindowRect(Control(p.id), &box);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, expectedBox.left);
    EXPECT_EQ(box.top, expectedBox.top);
    EXPECT_EQ(box.right, expectedBox.right);
    EXPECT_EQ(box.bottom, expectedBox.bottom);
  }

  Click(kQuit);
  ExpectExitCode(0);
}

TEST_F(ProgramTest, AboutBoxShowsItsTextWhileTheMainWindowStillAnswers) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::string reportBefore = ReportShown();
  EXPECT_EQ(reportBefore, kHeading);

  Click(kAbout);
  const HWND box = WaitForAboutBox();
  ASSERT_NE(box, nullptr) << "no About box";
  ErrorRecord errors;
  EXPECT_EQ(testing::WindowText(GetDlgItem(box, 0xFFFF)), AboutText(errors).view());
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
  EXPECT_FALSE(ShowsIcon(box));
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_TRUE(IsWindowEnabled(window_));

  // The box has no owner: the main window's buttons still work, and open a second box.
  Click(kAbout);
  HWND newer = nullptr;
  EXPECT_TRUE(program_->WaitUntil([&] {
    const auto boxes = testing::ProcessWindows(program_->id(), "Vantrel", "#32770");
    newer = boxes.size() == 2 ? (boxes[0] == box ? boxes[1] : boxes[0]) : nullptr;
    return newer != nullptr;
  })) << "the main window did not answer a click while the box was open";

  // The newer box first: the older one's dialog loop runs beneath the newer one's and can end
  // only after it.
  for (const HWND open : {newer, box}) {
    if (open == nullptr) continue;
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program_->WaitUntil([&] { return !IsWindow(open); }));
  }
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(ReportShown(), reportBefore);

  PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectExitCode(0);
}

// The keys are posted to the controls, as the keyboard would deliver them to the focus, so the
// case does not need the window in the foreground.
TEST_F(ProgramTest, EscapeLeavesTheWindowOpen) {
  ASSERT_NO_FATAL_FAILURE(Start());
  for (const int id : {kQuit, kAbout, kReport}) {
    PostMessageA(Control(id), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(Control(id), WM_KEYUP, VK_ESCAPE, 0xC0010001);
  }
  // Messages are handled in order: a box opened by a later click proves the window outlived
  // every Esc.
  Click(kAbout);
  const HWND box = WaitForAboutBox();
  ASSERT_NE(box, nullptr) << "the window did not survive Esc";
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(program_->WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_TRUE(IsWindow(window_));

  Click(kQuit);
  ExpectExitCode(0);
}

TEST_F(ProgramTest, WaitsWithoutSpinningAndCloseBoxEndsWithZero) {
  ASSERT_NO_FATAL_FAILURE(Start(WORD{SW_SHOWMINNOACTIVE}));
  // A second of waiting for the user costs next to no processor time. The thread's times grow
  // in scheduler ticks (15.6 ms by default), so a fast start may read 0.
  const ULONGLONG before = CpuTime(window_);
  EXPECT_EQ(WaitForSingleObject(program_->handle(), 1000), WAIT_TIMEOUT);
  EXPECT_LT(CpuTime(window_) - before, 2'000'000u);
  PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectExitCode(0);
}

// DLLs named like the rich-edit libraries beside the program, as in a Downloads folder, never
// run: the program loads the system's own and shows its report.
TEST_F(ProgramTest, ADllBesideTheProgramIsNeverLoaded) {
  ASSERT_TRUE(testing::Copy(testing::ProgramPath("vantrel.exe"), dir_.PathOf("vantrel.exe")));
  for (const char* planted : {"RICHED32.DLL", "RICHED20.DLL"}) {
    ASSERT_TRUE(testing::Copy(testing::ProgramPath("planted_dll.dll"), dir_.PathOf(planted)));
  }
  // Windows looks for them beside the program first by itself; Wine is told to.
  const testing::RichEditFilesFirst asOnWindows("vantrel.exe");
  program_.emplace("\"" + dir_.PathOf("vantrel.exe") + "\"", dir_.path());
  ASSERT_TRUE(program_->started());
  window_ = program_->WaitForWindow(kTitle, "#32770");
  ASSERT_NE(window_, nullptr);
  EXPECT_EQ(ReportShown(), kHeading);
  Click(kQuit);
  ExpectExitCode(0);
  for (const std::string planted : {"RICHED32.DLL", "RICHED20.DLL"}) {
    EXPECT_EQ(GetFileAttributesW(testing::Wide(dir_.PathOf(planted + ".loaded")).c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "the " << planted << " beside the program was loaded";
  }
}

// A report of over 128 KiB: past the rich-edit control's default limit of 32,767 characters and
// past any 16-bit count of bytes, in many stream pieces.
TEST_F(ProgramTest, ShowsEveryRowOfALargeDirectory) {
  constexpr int kFolders = 2000;
  testing::WriteNumberedFolders(dir_, kFolders);
  const std::string expected = ReportOf(dir_.path());
  // A slow disk under a virus scanner may take minutes over 2,000 files the first time.
  ASSERT_NO_FATAL_FAILURE(Start(std::nullopt, 120000));

  const std::string shown = ReportShown();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), kFolders + 1);
  EXPECT_TRUE(shown == expected) << "the report shown differs from the scan's (" << shown.size()
                                 << " bytes against " << expected.size() << ")";
  Click(kQuit);
  ExpectExitCode(0);
}

}  // namespace
}  // namespace vantrel
