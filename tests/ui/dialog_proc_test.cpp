#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <vector>

#include "ui/dialog_engine.h"
#include "ui/test_dialogs.h"

namespace vantrel {
namespace {

using testing::MakeDialog;

struct Seen {
  HWND dialog;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> seen;
INT_PTR answer = 0;
LONG_PTR ownResult = 0;

INT_PTR Record(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  seen.push_back({dialog, message, wParam, lParam});
  if (ownResult != 0) SetWindowLongPtrA(dialog, DWLP_MSGRESULT, ownResult);
  return answer;
}

INT_PTR Other(HWND, UINT, WPARAM, LPARAM) noexcept {
  ADD_FAILURE() << "another control's callback ran";
  return 0;
}

// A routine that may throw cannot be bound at all: nothing may unwind through the platform's
// frames, and the engine, built without exceptions, could not stop it.
using MayThrow = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
static_assert(!std::is_convertible_v<MayThrow, ControlCallback>);
static_assert(std::is_convertible_v<decltype(&Other), ControlCallback>);

class DialogProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seen.clear();
    answer = 0;
    ownResult = 0;
  }
  HWND Add(std::int32_t id, const char* className, std::uint32_t style, ControlCallback callback) {
    return AddControl(ControlKind::ByClassName, dialog_.get(), id, className, "", 1, 1, 40, 10,
                      style, 0, callback);
  }
  ScopedWindow dialog_{MakeDialog()};
};

TEST_F(DialogProcTest, ControlCallbackSeesEveryCommandOfItsControl) {
  const HWND button = Add(40, "BUTTON", WS_CHILD | WS_VISIBLE, Record);
  Add(41, "BUTTON", WS_CHILD | WS_VISIBLE, Other);
  Add(42, "BUTTON", WS_CHILD | WS_VISIBLE, nullptr);
  const LPARAM fromButton = reinterpret_cast<LPARAM>(button);

  // A click as the button reports it, which needs no active dialog as BM_CLICK might.
  for (const WORD code : {WORD{BN_CLICKED}, WORD{1}, WORD{EN_CHANGE}, WORD{0xFFFF}}) {
    SendMessageA(dialog_.get(), WM_COMMAND, MAKEWPARAM(40, code), fromButton);
  }
  SendMessageA(dialog_.get(), WM_COMMAND, MAKEWPARAM(42, BN_CLICKED), 0);
  const std::vector<Seen> expected = {
      {dialog_.get(), WM_COMMAND, MAKEWPARAM(40, BN_CLICKED), fromButton},
      {dialog_.get(), WM_COMMAND, MAKEWPARAM(40, 1), fromButton},
      {dialog_.get(), WM_COMMAND, MAKEWPARAM(40, EN_CHANGE), fromButton},
      {dialog_.get(), WM_COMMAND, MAKEWPARAM(40, 0xFFFF), fromButton},
  };
  EXPECT_EQ(seen, expected);
}

TEST_F(DialogProcTest, ScrollMessagesGoToTheScrollBarsCallback) {
  const HWND bar = Add(43, "SCROLLBAR", WS_CHILD | WS_VISIBLE | SBS_HORZ, Record);
  SendMessageA(dialog_.get(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar));
  SendMessageA(dialog_.get(), WM_VSCROLL, SB_TOP, reinterpret_cast<LPARAM>(bar));
  SendMessageA(dialog_.get(), WM_HSCROLL, SB_LINEUP, 0);  // the dialog's own scroll bar
  EXPECT_EQ(seen, (std::vector<Seen>{
                      {dialog_.get(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar)},
                      {dialog_.get(), WM_VSCROLL, SB_TOP, reinterpret_cast<LPARAM>(bar)}}));
}

TEST_F(DialogProcTest, NonZeroResultFinishesTheMessage) {
  const HWND button = Add(44, "BUTTON", WS_CHILD, Record);
  struct Case {
    std::intptr_t answer;
    LONG_PTR ownResult;
    LRESULT sent;
    LONG_PTR messageResult;
  };
  const Case cases[] = {{5, 0, 5, 5}, {5, 77, 77, 77}, {0, 0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.answer << "/" << c.ownResult);
    answer = c.answer;
    ownResult = c.ownResult;
    const WPARAM command = MAKEWPARAM(44, BN_CLICKED);
    SetWindowLongPtrA(dialog_.get(), DWLP_MSGRESULT, 0);
    EXPECT_EQ(
        EngineDialogProc(dialog_.get(), WM_COMMAND, command, reinterpret_cast<LPARAM>(button)),
        c.answer);
    EXPECT_EQ(GetWindowLongPtrA(dialog_.get(), DWLP_MSGRESULT), c.messageResult);
    EXPECT_EQ(SendMessageA(dialog_.get(), WM_COMMAND, command, reinterpret_cast<LPARAM>(button)),
              c.sent);
  }
  EXPECT_EQ(seen.size(), 6u);
}

TEST_F(DialogProcTest, MenuItemsCarryTheirCallbackInTheirData) {
  Add(51, "BUTTON", WS_CHILD, Record);
  const HMENU menu = CreateMenu();
  AppendMenuA(menu, MF_STRING, 50, "&Menu");
  AppendMenuA(menu, MF_STRING, 51, "&Shadowed");
  AppendMenuA(menu, MF_STRING, 52, "&Plain");
  MENUITEMINFOA item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_DATA;
  item.dwItemData = reinterpret_cast<ULONG_PTR>(&Record);
  SetMenuItemInfoA(menu, 50, FALSE, &item);
  item.dwItemData = reinterpret_cast<ULONG_PTR>(&Other);
  SetMenuItemInfoA(menu, 51, FALSE, &item);
  SetMenu(dialog_.get(), menu);

  answer = 9;
  EXPECT_EQ(EngineDialogProc(dialog_.get(), WM_COMMAND, 50, 0), 9);
  EXPECT_EQ(EngineDialogProc(dialog_.get(), WM_COMMAND, 51, 0), 9) << "the control comes first";
  EXPECT_EQ(EngineDialogProc(dialog_.get(), WM_COMMAND, 52, 0), FALSE);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(DialogProcTest, OkAndCancelWithoutSuchControlsDoNothing) {
  for (const WPARAM id : {IDOK, IDCANCEL}) {
    EXPECT_EQ(EngineDialogProc(dialog_.get(), WM_COMMAND, id, 0), FALSE);
    SendMessageA(dialog_.get(), WM_COMMAND, id, 0);
  }
  EXPECT_TRUE(IsWindow(dialog_.get()));
}

TEST_F(DialogProcTest, ActivationIsAnsweredAtOnce) {
  for (const WPARAM state : {WA_INACTIVE, WA_ACTIVE, WA_CLICKACTIVE}) {
    EXPECT_EQ(EngineDialogProc(dialog_.get(), WM_ACTIVATE, state, 0), TRUE);
  }
  EXPECT_EQ(EngineDialogProc(dialog_.get(), WM_ACTIVATE, 3, 0), FALSE);
}

TEST_F(DialogProcTest, OnlyAnExactCloseCommandClosesTheDialog) {
  struct Case {
    WPARAM command;
    bool closes;
  };
  for (const auto& c :
       {Case{0xF061, false}, Case{SC_MINIMIZE, false}, Case{0x1F060, true}, Case{SC_CLOSE, true}}) {
    SCOPED_TRACE(c.command);
    ScopedWindow dialog(MakeDialog());
    EXPECT_EQ(EngineDialogProc(dialog.get(), WM_SYSCOMMAND, c.command, 0), c.closes);
    EXPECT_NE(IsWindow(dialog.get()), c.closes);
  }
}

}  // namespace
}  // namespace vantrel
