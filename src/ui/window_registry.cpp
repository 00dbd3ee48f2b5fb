#include "ui/window_registry.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <utility>

namespace vantrel {

WindowRegistry::~WindowRegistry() {
  while (head_ != nullptr) Free(std::exchange(head_, head_->next));
}

// Entries live in malloc's storage: a refused request is a null pointer, never an exception.
void WindowRegistry::Free(Entry* entry) {
  entry->~Entry();
  std::free(entry);
}

WindowRegistry::Entry* WindowRegistry::FindLocked(HWND window) const {
  for (Entry* entry = head_; entry != nullptr; entry = entry->next) {
    if (entry->record.window == window) return entry;
  }
  return nullptr;
}

bool WindowRegistry::Register(const WindowRecord& record) {
  void* storage = std::malloc(sizeof(Entry));
  if (storage == nullptr) return false;
  Entry* entry = new (storage) Entry{record};
  {
    const std::lock_guard<SpinLock> lock(lock_);
    if (FindLocked(record.window) == nullptr) {
      entry->next = head_;
      head_ = entry;
      return true;
    }
  }
  Free(entry);
  return false;
}

std::optional<WindowRecord> WindowRegistry::Find(HWND window) const {
  const std::lock_guard<SpinLock> lock(lock_);
  const Entry* entry = FindLocked(window);
  if (entry == nullptr) return std::nullopt;
  return entry->record;
}

std::optional<WindowRecord> WindowRegistry::StartModalRun(HWND dialog, DialogCallback callback,
                                                          std::int32_t* result) {
  const std::lock_guard<SpinLock> lock(lock_);
  Entry* entry = FindLocked(dialog);
  if (entry == nullptr || entry->record.isControl) return std::nullopt;
  entry->record.callback = callback;
  entry->record.result = result;
  return entry->record;
}

void WindowRegistry::ReleaseDialog(HWND dialog) {
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
    const auto unlinkControlsUnder = [&](HWND parent) {
      unlinkWhere([parent](const WindowRecord& r) { return r.isControl && r.parent == parent; });
    };
    // The released list grows while it is walked, so controls added to controls go as well.
    unlinkControlsUnder(dialog);
    for (const Entry* entry = released; entry != nullptr; entry = entry->next) {
      unlinkControlsUnder(entry->record.window);
    }
    unlinkWhere([dialog](const WindowRecord& r) { return r.window == dialog; });
  }
  while (released != nullptr) Free(std::exchange(released, released->next));
}

std::size_t WindowRegistry::Count() const {
  const std::lock_guard<SpinLock> lock(lock_);
  std::size_t count = 0;
  for (const Entry* entry = head_; entry != nullptr; entry = entry->next) ++count;
  return count;
}

std::size_t WindowRegistry::Windows(std::span<HWND> windows) const {
  const std::lock_guard<SpinLock> lock(lock_);
  std::size_t count = 0;
  for (const Entry* entry = head_; entry != nullptr; entry = entry->next, ++count) {
    if (count < windows.size()) windows[count] = entry->record.window;
  }
  return count;
}

namespace {
// Constant-initialised, so it exists before any code runs and needs no guarded first use.
constinit WindowRegistry engineRegistry;
}  // namespace

WindowRegistry& EngineRegistry() {
  return engineRegistry;
}

}  // namespace vantrel
