#include "ui/dialog_engine.h"

namespace vantrel {
namespace {

// Menu items carry their routine in their item data.
ControlCallback MenuItemCallback(HWND dialog, UINT id) {
  const HMENU menu = GetMenu(dialog);
  if (menu == nullptr) return nullptr;
  MENUITEMINFOA item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_DATA;
  if (!GetMenuItemInfoA(menu, id, FALSE, &item)) return nullptr;
  return reinterpret_cast<ControlCallback>(item.dwItemData);
}

ControlCallback RecordedControlCallback(HWND control) {
  const std::optional<WindowRecord> record = EngineRegistry().Find(control);
  return record && record->isControl ? record->callback : nullptr;
}

ControlCallback ControlCallbackFor(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      return RecordedControlCallback(reinterpret_cast<HWND>(lParam));
    case WM_COMMAND: {
      const UINT id = LOWORD(wParam);
      const HWND control = GetDlgItem(dialog, static_cast<int>(id));
      if (control == nullptr) return MenuItemCallback(dialog, id);
      return RecordedControlCallback(control);
    }
    default:
      return nullptr;
  }
}

// A result of our own goes into DWLP_MSGRESULT, unless a callback already stored one there.
INT_PTR Finish(HWND dialog, INT_PTR result) {
  if (GetWindowLongPtrA(dialog, DWLP_MSGRESULT) == 0) {
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
  }
  return result;
}

// Compared exactly: only a plain SC_CLOSE closes the dialog.
bool IsCloseCommand(WPARAM wParam) {
  return (wParam & 0xFFFF) == SC_CLOSE;
}

}  // namespace

INT_PTR CALLBACK EngineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // Every activation is answered here, so the dialog manager moves no focus.
  if (message == WM_ACTIVATE) {
    const WORD state = LOWORD(wParam);
    if (state == WA_INACTIVE || state == WA_ACTIVE || state == WA_CLICKACTIVE) return TRUE;
  }

  if (const ControlCallback callback = ControlCallbackFor(dialog, message, wParam, lParam)) {
    const INT_PTR result = callback(dialog, message, wParam, lParam);
    if (result != 0) return Finish(dialog, result);
  }

  // Looked up afresh: a control callback may have closed the dialog.
  if (const std::optional<WindowRecord> record = EngineRegistry().Find(dialog)) {
    const INT_PTR result =
        record->callback != nullptr ? record->callback(dialog, message, wParam, lParam) : 0;
    if (message == WM_NCDESTROY) EngineRegistry().ReleaseDialog(dialog);
    if (result != 0) return Finish(dialog, result);
  }

  if (message == WM_SYSCOMMAND && IsCloseCommand(wParam)) {
    CloseDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace vantrel
