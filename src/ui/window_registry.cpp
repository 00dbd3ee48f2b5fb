#include "ui/window_registry.h"

#include <mutex>
#include <new>
#include <utility>

namespace vantrel {

WindowRegistry::~WindowRegistry() {
  while (head_ != nullptr) delete std::exchange(head_, head_->next);
}

WindowRegistry::Entry* WindowRegistry::FindLocked(HWND__* window) const noexcept {
  for (Entry* entry = head_; entry != nullptr; entry = entry->next) {
    if (entry->record.window == window) return entry;
  }
  return nullptr;
}

bool WindowRegistry::Register(const WindowRecord& record) noexcept {
  Entry* entry = new (std::nothrow) Entry{record};
  if (entry == nullptr) return false;
  {
    const std::lock_guard<SpinLock> lock(lock_);
    if (FindLocked(record.window) == nullptr) {
      entry->next = head_;
      head_ = entry;
      return true;
    }
  }
  delete entry;
  return false;
}

std::optional<WindowRecord> WindowRegistry::Find(HWND__* window) const noexcept {
  const std::lock_guard<SpinLock> lock(lock_);
  const Entry* entry = FindLocked(window);
  if (entry == nullptr) return std::nullopt;
  return entry->record;
}

std::optional<WindowRecord> WindowRegistry::StartModalRun(HWND__* dialog, DialogCallback callback,
                                                          std::int32_t* result) noexcept {
  const std::lock_guard<SpinLock> lock(lock_);
  Entry* entry = FindLocked(dialog);
  if (entry == nullptr || entry->record.isControl) return std::nullopt;
  entry->record.callback = callback;
  entry->record.result = result;
  return entry->record;
}

void WindowRegistry::ReleaseDialog(HWND__* dialog) noexcept {
  Entry* released = nullptr;
  {
    const std::lock_guard<SpinLock> lock(lock_);
    Entry** releasedEnd = &released;
    const auto unlinkWhere = [&](auto belongs) {
      for (Entry** link = &head_; *link != nullptr;) {
        Entry* entry = *link;
        if (!belongs(entry->record)) {
          link = &entry->next;
          continue;
        }
        *link = entry->next;
        entry->next = nullptr;
        *releasedEnd = entry;
        releasedEnd = &entry->next;
      }
    };
    const auto unlinkControlsUnder = [&](HWND__* parent) {
      unlinkWhere([parent](const WindowRecord& r) { return r.isControl && r.parent == parent; });
    };
    // The released list grows while it is walked, so controls added to controls go as well.
    unlinkControlsUnder(dialog);
    for (const Entry* entry = released; entry != nullptr; entry = entry->next) {
      unlinkControlsUnder(entry->record.window);
    }
    unlinkWhere([dialog](const WindowRecord& r) { return r.window == dialog; });
  }
  while (released != nullptr) delete std::exchange(released, released->next);
}

std::size_t WindowRegistry::Count() const noexcept {
  const std::lock_guard<SpinLock> lock(lock_);
  std::size_t count = 0;
  for (const Entry* entry = head_; entry != nullptr; entry = entry->next) ++count;
  return count;
}

std::vector<HWND__*> WindowRegistry::Windows() const {
  const std::lock_guard<SpinLock> lock(lock_);
  std::vector<HWND__*> windows;
  for (const Entry* entry = head_; entry != nullptr; entry = entry->next) {
    windows.push_back(entry->record.window);
  }
  return windows;
}

namespace {
// Constant-initialised, so it exists before any code runs and needs no guarded first use.
constinit WindowRegistry engineRegistry;
}  // namespace

WindowRegistry& EngineRegistry() noexcept {
  return engineRegistry;
}

}  // namespace vantrel
