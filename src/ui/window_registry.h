#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/spin_lock.h"
#include "ui/window_record.h"

namespace vantrel {

// The records of the windows the engine created, newest first. The lock is held only while the
// list is walked or changed; lookups hand out copies, so no caller holds a record while a
// callback runs and perhaps destroys its window.
class WindowRegistry {
 public:
  WindowRegistry() = default;
  ~WindowRegistry();
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  // Fails when the handle already has a record or memory runs out.
  bool Register(const WindowRecord& record) noexcept;

  std::optional<WindowRecord> Find(HWND__* window) const noexcept;

  // Binds a dialog to its modal run and hands out the updated record; empty when there is no
  // dialog record for the handle (a control's record keeps its callback).
  std::optional<WindowRecord> StartModalRun(HWND__* dialog, DialogCallback callback,
                                            std::int32_t* result) noexcept;

  // Drops the records of the controls under `dialog` (and of controls added to those), then
  // the dialog's own record.
  void ReleaseDialog(HWND__* dialog) noexcept;

  std::size_t Count() const noexcept;
  // The registered handles, newest first.
  std::vector<HWND__*> Windows() const;

 private:
  struct Entry {
    WindowRecord record;
    Entry* next = nullptr;
  };

  Entry* FindLocked(HWND__* window) const noexcept;

  mutable SpinLock lock_;
  Entry* head_ = nullptr;
};

// The process-wide registry behind the dialog engine.
WindowRegistry& EngineRegistry() noexcept;

}  // namespace vantrel
