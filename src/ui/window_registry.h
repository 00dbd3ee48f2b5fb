#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "app/spin_lock.h"
#include "app/win32_names.h"

namespace vantrel {

// A routine bound to one control. It is called with the dialog's handle, not the control's. A
// result of 0 means "not consumed"; any other value is the message's result. Nothing may throw
// through the platform's frames, so the type admits no routine that could.
using ControlCallback = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;

// The same shape for a whole dialog: it sees every message that no control callback consumed.
using DialogCallback = ControlCallback;

// The engine's bookkeeping for one window it created: a dialog (NewDialog) or a control
// (AddControl).
struct WindowRecord {
  HWND window = nullptr;  // the key
  HWND parent = nullptr;  // a control's dialog; a dialog's parent as given to NewDialog
  bool isControl = false;
  // A control's ControlCallback, or the DialogCallback ShowModal was given; may be none.
  ControlCallback callback = nullptr;
  std::int32_t showCommand = 0;    // dialogs: how ShowModal shows it
  HFONT font = nullptr;            // dialogs: the font the platform made from the template
  std::int32_t* result = nullptr;  // dialogs in a modal run: where CloseDialog stores the result
};

// The records of the windows the engine created, newest first. The lock is held only while the
// list is walked or changed; lookups hand out copies, so no caller holds a record while a
// callback runs and perhaps destroys its window.
class WindowRegistry {
 public:
  constexpr WindowRegistry() = default;
  ~WindowRegistry();
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  // Fails when the handle already has a record or memory runs out.
  bool Register(const WindowRecord& record);

  std::optional<WindowRecord> Find(HWND window) const;

  // Binds a dialog to its modal run and hands out the updated record; empty when there is no
  // dialog record for the handle (a control's record keeps its callback).
  std::optional<WindowRecord> StartModalRun(HWND dialog, DialogCallback callback,
                                            std::int32_t* result);

  // Drops the records of the controls under `dialog` (and of controls added to those), then
  // the dialog's own record.
  void ReleaseDialog(HWND dialog);

  std::size_t Count() const;
  // Copies the registered handles, newest first, into `windows` as far as it has room; returns
  // how many there are.
  std::size_t Windows(std::span<HWND> windows) const;

 private:
  struct Entry {
    WindowRecord record;
    Entry* next = nullptr;
  };

  static void Free(Entry* entry);
  Entry* FindLocked(HWND window) const;

  mutable SpinLock lock_;
  Entry* head_ = nullptr;
};

// The process-wide registry behind the dialog engine.
WindowRegistry& EngineRegistry();

}  // namespace vantrel
