#pragma once

#include <cstdint>

#include "app/win32_names.h"

namespace vantrel {

// The run-time state of one thread, reached through a thread-local storage slot. Plain data:
// it lives in zero-filled global memory.
struct ThreadState {
  char dialogFace[32];           // the dialog font's face: up to 31 bytes and a NUL
  std::int32_t dialogPointSize;  // and its size in points
};

// What the main thread's record starts with.
inline constexpr ThreadState kStartupThreadState{"MS Sans Serif", 8};

// The calling thread's record. A thread other than the main one gets its own on first use,
// starting as a copy of the main thread's. Null without a slot (before start-up or after
// shutdown) or when memory runs out.
ThreadState* CurrentThreadState();

#if defined(_WIN32)
// How the frame obtains the slot and the record's memory; tests replace them to make start-up
// fail.
struct ThreadStateAllocation {
  DWORD(WINAPI* allocateSlot)();
  HGLOBAL(WINAPI* allocateMemory)(UINT flags, SIZE_T bytes);
};

// The platform's own functions, called through functions of ours: an imported function's
// address is known only once the loader has filled in the import table, so it cannot be a
// constant.
inline DWORD WINAPI AllocateTlsSlot() {
  return TlsAlloc();
}
inline HGLOBAL WINAPI AllocateGlobalMemory(UINT flags, SIZE_T bytes) {
  return GlobalAlloc(flags, bytes);
}

inline constexpr ThreadStateAllocation kPlatformAllocation{&AllocateTlsSlot, &AllocateGlobalMemory};

// The slot and the main thread's record for a scope: created with the start-up values, and
// released in this order at the end: the record freed, the slot's value cleared, the slot
// freed. Nothing stays allocated when either cannot be had.
class MainThreadState {
 public:
  explicit MainThreadState(const ThreadStateAllocation& allocation);
  ~MainThreadState();
  MainThreadState(const MainThreadState&) = delete;
  MainThreadState& operator=(const MainThreadState&) = delete;

  bool created() const;
};
#endif

}  // namespace vantrel
