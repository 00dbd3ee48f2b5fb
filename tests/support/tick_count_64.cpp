// The toolchain's static thread library calls GetTickCount64, which kernel32 has only from
// Vista on; importing it would keep every program linked with it from loading on Windows XP.
// This object defines the import slot the linker would otherwise fill from kernel32's import
// library, so those calls come here instead: to kernel32's own function where it has one, else
// to GetTickCount carried on to 64 bits. It must be linked as an object: an archive member is
// not pulled in for a reference from a later archive.
#include <windows.h>

#include <atomic>

namespace {

using TickCount64Call = ULONGLONG(WINAPI*)();

// Counts the wraps of the 32-bit count (every 49.7 days), seen as long as something asks at
// least once in each wrap; threads agree on one count that never goes back.
ULONGLONG WINAPI WidenedTickCount() {
  static std::atomic<ULONGLONG> last{0};
  ULONGLONG seen = last.load();
  for (;;) {
    ULONGLONG now = (seen & ~0xFFFFFFFFull) | GetTickCount();
    if (now < seen) now += 0x100000000ull;
    if (last.compare_exchange_weak(seen, now)) return now;
  }
}

TickCount64Call FindTickCount64() {
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64");
  if (found == nullptr) return WidenedTickCount;
  return reinterpret_cast<TickCount64Call>(reinterpret_cast<void (*)()>(found));
}

std::atomic<TickCount64Call> tickCount64{nullptr};

ULONGLONG WINAPI TickCount64() {
  TickCount64Call call = tickCount64.load(std::memory_order_relaxed);
  if (call == nullptr) {
    call = FindTickCount64();
    tickCount64.store(call, std::memory_order_relaxed);
  }
  return call();
}

}  // namespace

// The slot's symbol as kernel32's import library names it: stdcall-decorated on 32-bit x86.
#ifdef _WIN64
extern "C" const TickCount64Call tickCount64Slot asm("__imp_GetTickCount64");
#else
extern "C" const TickCount64Call tickCount64Slot asm("__imp__GetTickCount64@0");
#endif
extern "C" const TickCount64Call tickCount64Slot = TickCount64;
