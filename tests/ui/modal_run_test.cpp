#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/dialog_engine.h"
#include "ui/test_dialogs.h"
#include "ui/window_registry.h"

namespace vantrel {
namespace {

using testing::MakeDialog;
using testing::RunModal;

constexpr std::int32_t kQuitId = 23;
constexpr std::int32_t kConsumedId = 24;
constexpr std::int32_t kPassedId = 25;
constexpr UINT kCheck = WM_APP;  // posted by a test: the dialog callback looks, then ends the run
constexpr UINT kDestroy = WM_APP + 1;
constexpr UINT kForeground = WM_APP + 2;  // posted before keys: ends a run that cannot have them
constexpr UINT_PTR kQuitTimer = 1;

struct RunMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the dialog callback saw during a run.
struct RunLog {
  std::vector<RunMessage> messages;
  std::int32_t* result = nullptr;
  std::int32_t resultAtClose = 0;
  std::int32_t resultAtDestroy = 0;
  bool registeredAtNcDestroy = false;
  BOOL visible = FALSE;
  BOOL zoomed = FALSE;
  BOOL iconic = FALSE;
  BOOL ownerEnabled = TRUE;
  int quitRounds = 0;
  bool notForeground = false;

  std::vector<UINT> Messages() const {
    std::vector<UINT> only;
    for (const auto& m : messages) only.push_back(m.message);
    return only;
  }
  bool Saw(UINT message, WPARAM wParam) const {
    for (const auto& m : messages) {
      if (m.message == message && m.wParam == wParam) return true;
    }
    return false;
  }
};

RunLog runLog;

INT_PTR Quit(HWND dialog, UINT, WPARAM, LPARAM) noexcept {
  runLog.visible = IsWindowVisible(dialog);
  CloseDialog(dialog, 1);
  return 0;
}

INT_PTR Consume(HWND, UINT, WPARAM, LPARAM) noexcept {
  return 5;
}

INT_PTR Pass(HWND, UINT, WPARAM, LPARAM) noexcept {
  return 0;
}

INT_PTR Watch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  runLog.messages.push_back({message, wParam, lParam});
  switch (message) {
    case WM_CLOSE:
      runLog.resultAtClose = *runLog.result;
      break;
    case WM_DESTROY:
      runLog.resultAtDestroy = *runLog.result;
      break;
    case WM_NCDESTROY:
      runLog.registeredAtNcDestroy = EngineRegistry().Find(dialog).has_value();
      break;
    case kCheck:
      runLog.visible = IsWindowVisible(dialog);
      runLog.zoomed = IsZoomed(dialog);
      runLog.iconic = IsIconic(dialog);
      runLog.ownerEnabled = IsWindowEnabled(GetWindow(dialog, GW_OWNER));
      CloseDialog(dialog, static_cast<std::int32_t>(wParam));
      break;
    case kForeground:
      // Keystrokes are the foreground window's, and Windows lets a program take the foreground
      // only on the conditions SetForegroundWindow lists.
      SetForegroundWindow(dialog);
      if (GetForegroundWindow() != dialog) {
        runLog.notForeground = true;
        CloseDialog(dialog, 0);
      }
      break;
    case kDestroy:
      runLog.ownerEnabled = IsWindowEnabled(GetWindow(dialog, GW_OWNER));
      DestroyWindow(dialog);
      break;
    case WM_TIMER: {
      // Timer messages come after WM_QUIT: ends the run once that has left the queue.
      MSG quit;
      if (!PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) ||
          ++runLog.quitRounds == 50) {
        KillTimer(dialog, kQuitTimer);
        CloseDialog(dialog, 9);
      }
      break;
    }
  }
  return 0;
}

constexpr char kNotForeground[] =
    "the dialog could not take the foreground (another program holds it), so no keystroke "
    "would be its";

class ModalRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runLog = {};
    runLog.result = &result_;
    before_ = EngineRegistry().Count();
  }
  // Runs the dialog with the watching callback; checks that it and its records are gone.
  std::int32_t Run(HWND dialog) {
    result_ = 42;
    RunModal(dialog, Watch, result_);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(EngineRegistry().Count(), before_) << "records left behind";
    return result_;
  }
  void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    PostMessageA(window, message, wParam, lParam);
  }

  std::int32_t result_ = 42;
  std::size_t before_ = 0;
};

TEST_F(ModalRunTest, CloseDialogFromAButtonEndsTheRunWithItsResult) {
  const HWND dialog = MakeDialog();
  const HWND quit =
      AddControl(ControlKind::PushButton, dialog, kQuitId, "", "Quit", 5, 5, 40, 12, 0, 0, Quit);
  AddControl(ControlKind::ByClassName, quit, 7, "STATIC", "", 0, 0, 5, 5, WS_CHILD, 0, Pass);
  RECT client;
  GetClientRect(dialog, &client);
  Post(dialog, WM_COMMAND, MAKEWPARAM(kQuitId, BN_CLICKED), reinterpret_cast<LPARAM>(quit));

  EXPECT_EQ(Run(dialog), 1);
  EXPECT_TRUE(runLog.visible);
  ASSERT_GE(runLog.messages.size(), 2u);
  EXPECT_EQ(runLog.messages[0].message, UINT{WM_INITDIALOG});
  EXPECT_EQ(runLog.messages[0].wParam, reinterpret_cast<WPARAM>(dialog));
  EXPECT_EQ(runLog.messages[1].message, UINT{WM_SIZE});
  EXPECT_EQ(runLog.messages[1].wParam, WPARAM{SIZE_RESTORED});
  EXPECT_EQ(runLog.messages[1].lParam, MAKELPARAM(client.right, client.bottom));
  // WM_CLOSE first, the result stored before the window goes, records kept until the end.
  EXPECT_EQ(runLog.resultAtClose, 42);
  EXPECT_EQ(runLog.resultAtDestroy, 1);
  EXPECT_TRUE(runLog.registeredAtNcDestroy);
  EXPECT_EQ(runLog.Messages().back(), UINT{WM_NCDESTROY});
  EXPECT_FALSE(runLog.Saw(WM_COMMAND, MAKEWPARAM(kQuitId, BN_CLICKED)))
      << "the dialog callback ran for a closed dialog";
  const std::vector<UINT> messages = runLog.Messages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), UINT{WM_ACTIVATE}), 0);
}

TEST_F(ModalRunTest, UnconsumedCommandsGoOnToTheDialogCallback) {
  const HWND dialog = MakeDialog();
  AddControl(ControlKind::PushButton, dialog, kConsumedId, "", "", 5, 5, 9, 9, 0, 0, Consume);
  AddControl(ControlKind::PushButton, dialog, kPassedId, "", "", 5, 25, 9, 9, 0, 0, Pass);
  Post(dialog, WM_COMMAND, kConsumedId);
  Post(dialog, WM_COMMAND, kPassedId);
  Post(dialog, kCheck, 3);
  EXPECT_EQ(Run(dialog), 3);
  EXPECT_FALSE(runLog.Saw(WM_COMMAND, kConsumedId));
  EXPECT_TRUE(runLog.Saw(WM_COMMAND, kPassedId));
}

TEST_F(ModalRunTest, EnterAndEscapeDoNothingWithoutOkOrCancelControls) {
  const HWND dialog = MakeDialog();
  Post(dialog, kForeground);
  Post(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
  Post(dialog, WM_KEYDOWN, VK_RETURN, 1);
  Post(dialog, WM_COMMAND, IDCANCEL);
  Post(dialog, kCheck, 4);
  const std::int32_t result = Run(dialog);
  if (runLog.notForeground) GTEST_SKIP() << kNotForeground;
  EXPECT_EQ(result, 4);
  EXPECT_TRUE(runLog.Saw(WM_COMMAND, IDCANCEL));
  EXPECT_TRUE(runLog.Saw(WM_COMMAND, IDOK));
}

TEST_F(ModalRunTest, CloseBoxAndAltF4EndTheRunWithZero) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool key;
  };
  const Case cases[] = {
      {"close box", WM_SYSCOMMAND, SC_CLOSE, 0, false},
      {"Alt+F4", WM_SYSKEYDOWN, VK_F4, LPARAM{1} | (LPARAM{1} << 29), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    runLog.messages.clear();
    const HWND dialog = MakeDialog(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    if (c.key) Post(dialog, kForeground);
    Post(dialog, c.message, c.wParam, c.lParam);
    EXPECT_EQ(Run(dialog), 0);
    if (runLog.notForeground) GTEST_SKIP() << kNotForeground;
    EXPECT_EQ(runLog.resultAtClose, 42);
  }
}

TEST_F(ModalRunTest, RunOutlastsWmQuit) {
  const HWND dialog = MakeDialog();
  PostQuitMessage(0);
  SetTimer(dialog, kQuitTimer, 10, nullptr);
  EXPECT_EQ(Run(dialog), 9);
  EXPECT_LT(runLog.quitRounds, 50) << "the loop never took WM_QUIT";
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT was kept";
}

TEST_F(ModalRunTest, DestroyedOtherwiseTheResultIsLeftAlone) {
  const HWND dialog = MakeDialog();
  Post(dialog, kDestroy);
  EXPECT_EQ(Run(dialog), 42);
  EXPECT_TRUE(runLog.registeredAtNcDestroy);
}

TEST_F(ModalRunTest, ShowCommandFollowsTheStyle) {
  struct Case {
    std::uint32_t style;
    WPARAM sizeType;
    BOOL zoomed;
    BOOL iconic;
  };
  const Case cases[] = {
      {WS_POPUP | WS_CAPTION, SIZE_RESTORED, FALSE, FALSE},
      {WS_POPUP | WS_CAPTION | WS_MAXIMIZE, SIZE_MAXIMIZED, TRUE, FALSE},
      {WS_POPUP | WS_CAPTION | WS_MINIMIZE, SIZE_MINIMIZED, FALSE, TRUE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.style);
    runLog.messages.clear();
    const HWND dialog = MakeDialog(c.style);
    Post(dialog, kCheck, 6);
    EXPECT_EQ(Run(dialog), 6);
    ASSERT_GE(runLog.messages.size(), 2u);
    EXPECT_EQ(runLog.messages[1].wParam, c.sizeType);
    EXPECT_TRUE(runLog.visible);
    EXPECT_EQ(runLog.zoomed, c.zoomed);
    EXPECT_EQ(runLog.iconic, c.iconic);
  }
}

TEST_F(ModalRunTest, OwnerIsDisabledDuringTheRunAndEnabledAfter) {
  ScopedWindow owner(testing::MakeForeignWindow());
  for (const UINT end : {kCheck, kDestroy}) {
    SCOPED_TRACE(end);
    runLog.ownerEnabled = TRUE;
    const HWND dialog = MakeDialog(0, owner.get());
    Post(dialog, end);
    Run(dialog);
    EXPECT_FALSE(runLog.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
  }
}

TEST_F(ModalRunTest, WindowNotMadeByNewDialogReturnsAtOnce) {
  ScopedWindow foreign(testing::MakeForeignWindow());
  ScopedWindow dialog(MakeDialog());
  const HWND control =
      AddControl(ControlKind::PushButton, dialog.get(), kQuitId, "", "", 5, 5, 40, 12, 0, 0, Quit);
  for (const HWND window : {foreign.get(), control, HWND{}}) {
    RunModal(window, nullptr, result_);
    EXPECT_EQ(result_, 42);
  }
  EXPECT_TRUE(IsWindow(foreign.get()));
  EXPECT_FALSE(IsWindowVisible(foreign.get()));
  EXPECT_TRUE(IsWindow(control));
  EXPECT_EQ(EngineRegistry().Find(control)->callback, &Quit);
}

}  // namespace
}  // namespace vantrel
