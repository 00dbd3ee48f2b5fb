#include "app/thread_state.h"

#include <mutex>
#include <new>

#include "app/spin_lock.h"

namespace vantrel {
namespace {

DWORD slot = TLS_OUT_OF_INDEXES;
ThreadState* mainThreadState = nullptr;
SpinLock mainThreadStateLock;

ThreadState* NewThreadState(const ThreadStateAllocation& allocation) {
  void* memory = allocation.allocateMemory(GMEM_FIXED | GMEM_ZEROINIT, sizeof(ThreadState));
  return memory != nullptr ? new (memory) ThreadState{} : nullptr;
}

}  // namespace

bool CreateMainThreadState(const ThreadStateAllocation& allocation) {
  slot = allocation.allocateSlot();
  if (slot == TLS_OUT_OF_INDEXES) return false;
  ThreadState* state = NewThreadState(allocation);
  if (state == nullptr) {
    TlsFree(slot);
    slot = TLS_OUT_OF_INDEXES;
    return false;
  }
  state->dialogFont = kStartupDialogFont;
  TlsSetValue(slot, state);
  const std::lock_guard<SpinLock> lock(mainThreadStateLock);
  mainThreadState = state;
  return true;
}

void ReleaseMainThreadState() {
  if (slot == TLS_OUT_OF_INDEXES) return;
  {
    const std::lock_guard<SpinLock> lock(mainThreadStateLock);
    if (mainThreadState != nullptr) {
      mainThreadState->~ThreadState();
      GlobalFree(mainThreadState);
      mainThreadState = nullptr;
    }
  }
  TlsSetValue(slot, nullptr);
  TlsFree(slot);
  slot = TLS_OUT_OF_INDEXES;
}

ThreadState* CurrentThreadState() {
  if (slot == TLS_OUT_OF_INDEXES) return nullptr;
  if (auto* state = static_cast<ThreadState*>(TlsGetValue(slot))) return state;
  ThreadState* state = NewThreadState(kPlatformAllocation);
  if (state == nullptr) return nullptr;
  {
    const std::lock_guard<SpinLock> lock(mainThreadStateLock);
    if (mainThreadState != nullptr) state->dialogFont = mainThreadState->dialogFont;
  }
  TlsSetValue(slot, state);
  return state;
}

DialogFont& CurrentDialogFont() {
  if (ThreadState* state = CurrentThreadState()) return state->dialogFont;
  // No record: start-up has not run (the engine's own tests) or memory ran out. One setting then
  // serves every thread.
  static DialogFont fallback = kStartupDialogFont;
  return fallback;
}

}  // namespace vantrel
