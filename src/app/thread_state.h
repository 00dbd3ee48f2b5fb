#pragma once

#include <windows.h>

#include "ui/dialog_font.h"

namespace vantrel {

// The run-time state of one thread, reached through a thread-local storage slot. Plain data:
// it lives in zero-filled global memory.
struct ThreadState {
  DialogFont dialogFont;
};

// How the frame obtains the slot and the record's memory; tests replace them to make start-up
// fail.
struct ThreadStateAllocation {
  DWORD(WINAPI* allocateSlot)();
  HGLOBAL(WINAPI* allocateMemory)(UINT flags, SIZE_T bytes);
};

inline constexpr ThreadStateAllocation kPlatformAllocation{&TlsAlloc, &GlobalAlloc};

// Creates the slot and the calling (main) thread's record with the dialog font
// "MS Sans Serif" 8. False when either cannot be had; nothing is then left allocated.
bool CreateMainThreadState(const ThreadStateAllocation& allocation);

// Frees the main thread's record and the slot.
void ReleaseMainThreadState();

// The calling thread's record. A thread other than the main one gets its own on first use,
// starting with the main thread's current dialog font. Null only without a slot.
ThreadState* CurrentThreadState();

}  // namespace vantrel
