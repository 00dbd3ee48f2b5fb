#include "ui/dialog_engine.h"

namespace vantrel {
namespace {

HWND Owner(HWND dialog) {
  return reinterpret_cast<HWND>(GetWindowLongPtrA(dialog, GWLP_HWNDPARENT));
}

// The dialog's real WM_INITDIALOG and first WM_SIZE came before it had a record, so its
// DialogCallback gets its own pair before the run.
void GreetDialogCallback(HWND dialog, DialogCallback callback) {
  callback(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
  const std::optional<WindowRecord> record = EngineRegistry().Find(dialog);
  const std::int32_t showCommand = record ? record->showCommand : kShowNormal;
  RECT client{};
  GetClientRect(dialog, &client);
  callback(dialog, WM_SIZE, SizeTypeFor(showCommand),
           MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

// Polls rather than blocks; the only way out is the dialog window ceasing to exist. WM_QUIT is
// taken and dispatched like any other message.
void RunMessages(HWND dialog) {
  MSG message;
  for (;;) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);
      continue;
    }
    if (IsWindow(dialog) && IsDialogMessageA(dialog, &message)) {
      if (!IsWindow(dialog)) return;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    if (!IsWindow(dialog)) return;
  }
}

}  // namespace

void ShowModal(HWND dialog, DialogCallback dialogCallback, std::int32_t& result) {
  if (dialogCallback != nullptr) GreetDialogCallback(dialog, dialogCallback);
  const std::optional<WindowRecord> record =
      EngineRegistry().StartModalRun(dialog, dialogCallback, &result);
  if (!record) return;

  const HWND owner = Owner(dialog);
  bool disabledOwner = false;
  if (owner != nullptr) {
    SendMessageA(owner, WM_CANCELMODE, 0, 0);
    disabledOwner = !EnableWindow(owner, FALSE);
  }
  ShowWindow(dialog, record->showCommand);
  RunMessages(dialog);
  if (owner != nullptr) {
    // CloseDialog gives the owner back; a dialog destroyed any other way must not leave it
    // disabled for good.
    if (disabledOwner && IsWindow(owner) && !IsWindowEnabled(owner)) EnableWindow(owner, TRUE);
    SetFocus(owner);
  }
}

void CloseDialog(HWND dialog, std::int32_t result) {
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  const HWND owner = Owner(dialog);
  const bool ownerWasDisabled = owner != nullptr && EnableWindow(owner, TRUE);
  if (const std::optional<WindowRecord> record = EngineRegistry().Find(dialog)) {
    if (record->result != nullptr) *record->result = result;
  }
  if (!DestroyWindow(dialog) && ownerWasDisabled) EnableWindow(owner, FALSE);
}

}  // namespace vantrel
