#include "app/thread_state.h"

#include <mutex>

#include "app/spin_lock.h"

namespace vantrel {
namespace {

DWORD slot = TLS_OUT_OF_INDEXES;
ThreadState* mainThreadState = nullptr;
SpinLock mainThreadStateLock;

ThreadState* NewThreadState(const ThreadStateAllocation& allocation) {
  return static_cast<ThreadState*>(
      allocation.allocateMemory(GMEM_FIXED | GMEM_ZEROINIT, sizeof(ThreadState)));
}

}  // namespace

MainThreadState::MainThreadState(const ThreadStateAllocation& allocation) {
  slot = allocation.allocateSlot();
  if (slot == TLS_OUT_OF_INDEXES) return;
  ThreadState* state = NewThreadState(allocation);
  if (state == nullptr) {
    TlsFree(slot);
    slot = TLS_OUT_OF_INDEXES;
    return;
  }
  *state = kStartupThreadState;
  TlsSetValue(slot, state);
  const std::lock_guard<SpinLock> lock(mainThreadStateLock);
  mainThreadState = state;
}

MainThreadState::~MainThreadState() {
  if (slot == TLS_OUT_OF_INDEXES) return;
  {
    const std::lock_guard<SpinLock> lock(mainThreadStateLock);
    GlobalFree(mainThreadState);
    mainThreadState = nullptr;
  }
  TlsSetValue(slot, nullptr);
  TlsFree(slot);
  slot = TLS_OUT_OF_INDEXES;
}

bool MainThreadState::created() const {
  return slot != TLS_OUT_OF_INDEXES;
}

ThreadState* CurrentThreadState() {
  if (slot == TLS_OUT_OF_INDEXES) return nullptr;
  if (auto* state = static_cast<ThreadState*>(TlsGetValue(slot))) return state;
  ThreadState* state = NewThreadState(kPlatformAllocation);
  if (state == nullptr) return nullptr;
  {
    const std::lock_guard<SpinLock> lock(mainThreadStateLock);
    *state = mainThreadState != nullptr ? *mainThreadState : kStartupThreadState;
  }
  TlsSetValue(slot, state);
  return state;
}

}  // namespace vantrel
