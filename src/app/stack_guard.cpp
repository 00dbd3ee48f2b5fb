// The stack protector's guard and failure routine, for GCC and Clang. A protected function keeps
// a copy of __stack_chk_guard below its return address and calls __stack_chk_fail when the copy
// no longer matches on return. Their own libssp would add 1.2 KB, or a DLL to ship beside the
// program; this pair is all the program needs. MSVC brings its own with /GS.
#if defined(__GNUC__) && !defined(_MSC_VER)

#include <windows.h>

#include <cstdint>

namespace {

// STATUS_STACK_BUFFER_OVERRUN, Windows' own code for a smashed stack.
constexpr UINT kStackSmashedExitCode = 0xC0000409;

}  // namespace

extern "C" {

// Replaced before any protected function runs.
std::uintptr_t __stack_chk_guard = 0x2F6A71C5;

// Runs with the static constructors, before main. Unprotected: it takes its locals' addresses, and
// would otherwise find its own copy of the old guard wrong on return.
[[gnu::constructor, gnu::no_stack_protector]] static void SeedStackGuard() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint32_t parts[] = {
      counter.LowPart,
      static_cast<std::uint32_t>(counter.HighPart),
      now.dwLowDateTime,
      now.dwHighDateTime,
      GetCurrentProcessId(),
      GetCurrentThreadId(),
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&counter))};
  std::uint32_t guard = 0;
  // The multiplication spreads the fast-changing low bits of each part over the whole word.
  for (const std::uint32_t part : parts) guard = (guard ^ part) * 0x9E3779B1u;
  __stack_chk_guard = guard;
}

// The stack is not to be trusted any more: no unwinding, no exit routines, no message box.
[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), kStackSmashedExitCode);
  __builtin_trap();
}

}  // extern "C"

#endif
