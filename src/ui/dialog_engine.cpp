#include "ui/dialog_engine.h"

#include "app/floating_point_state.h"
#include "app/text.h"

namespace vantrel {
namespace {

static_assert(kStyleVisible == WS_VISIBLE && kStyleMinimize == WS_MINIMIZE &&
              kStyleMaximize == WS_MAXIMIZE && kStyleChild == WS_CHILD &&
              kStyleTabStop == WS_TABSTOP);
static_assert(kDialogSystemModal == DS_SYSMODAL && kDialogCentre == DS_CENTER);
static_assert(kDefaultDialogStyle ==
              (WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK));
static_assert(kAlwaysDialogStyle == (DS_3DLOOK | DS_NOFAILCREATE | DS_SETFONT));
static_assert(kShowMinimized == SW_MINIMIZE && kShowNormal == SW_SHOW &&
              kShowMaximized == SW_SHOWMAXIMIZED);
static_assert(kButtonDefault == BS_DEFPUSHBUTTON);
static_assert(kDefaultPushButtonStyle == (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON));
static_assert(kAlwaysPushButtonStyle == (WS_CHILD | WS_VISIBLE));

// x + width as 32-bit arithmetic does it: wrapping, never undefined.
LONG Corner(std::int32_t origin, std::int32_t extent) {
  return static_cast<LONG>(static_cast<std::uint32_t>(origin) + static_cast<std::uint32_t>(extent));
}

// The platform wants NUL-terminated text, so a text ends at its first NUL byte. False when the
// copy's storage is refused.
bool CopyToNul(std::string_view text, Text& copy) {
  return copy.Append(Prefix(text, text.find('\0')));
}

// The module that owns the engine's dialogs and controls: the program itself.
HINSTANCE ModuleInstance() {
  return GetModuleHandleA(nullptr);
}

}  // namespace

HWND NewDialog(HWND parent, std::string_view title, std::int32_t x, std::int32_t y,
               std::int32_t width, std::int32_t height, std::uint32_t style,
               std::uint32_t extendedStyle) {
  const DialogTemplate dialogTemplate = BuildDialogTemplate(
      title, x, y, width, height, DialogStyle(style, x, y), extendedStyle, CurrentDialogFont());
  // The dialog procedure already runs inside this call, before the dialog has a record: it
  // answers those first messages with the defaults.
  const HWND dialog = CreateDialogIndirectParamA(
      ModuleInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.bytes.data()), parent,
      EngineDialogProc, 0);
  if (dialog == nullptr) return nullptr;

  const WindowRecord record{
      .window = dialog,
      .parent = parent,
      .showCommand = ShowCommandFor(style),
      .font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)),
  };
  if (!EngineRegistry().Register(record)) return nullptr;
  return dialog;
}

HWND AddControl(ControlKind kind, HWND dialog, std::int32_t id, std::string_view className,
                std::string_view text, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height, std::uint32_t style, std::uint32_t extendedStyle,
                ControlCallback callback) {
  const std::optional<WindowRecord> dialogRecord = EngineRegistry().Find(dialog);
  if (!dialogRecord) return nullptr;
  const std::optional<ControlPlan> plan = PlanControl(kind, className, style);
  if (!plan) return nullptr;

  // Both corners are converted, and the size is their difference: converting the size on its
  // own can round differently.
  RECT box{x, y, Corner(x, width), Corner(y, height)};
  MapDialogRect(dialog, &box);

  Text classCopy, textCopy;
  if (!CopyToNul(plan->className, classCopy) || !CopyToNul(text, textCopy)) return nullptr;
  const HWND control =
      CreateWindowExA(extendedStyle, classCopy.c_str(), textCopy.c_str(), plan->style, box.left,
                      box.top, box.right - box.left, box.bottom - box.top, dialog,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
  if (control != nullptr) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogRecord->font), TRUE);
    EngineRegistry().Register(
        {.window = control, .parent = dialog, .isControl = true, .callback = callback});
  }
  if (plan->isDefaultButton) SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(id), 0);
  return control;
}

HWND GetControl(HWND dialog, std::int32_t id) {
  return GetDlgItem(dialog, id);
}

void SetControlText(HWND control, std::string_view text) {
  // No memory for the copy: the control keeps its text.
  Text terminated;
  if (!CopyToNul(text, terminated)) return;
  // Controls may run code that changes the floating-point mode.
  const SavedFloatingPointState floatingPoint;
  SetWindowTextA(control, terminated.c_str());
}

}  // namespace vantrel
