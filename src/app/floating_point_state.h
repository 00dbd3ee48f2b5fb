#pragma once

#include <cfenv>
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace vantrel {

// The program runs with every x87 exception masked, 64-bit significands and rounding to nearest
// (ties to even). Some system DLLs change the control word; this is the value to put back.
inline constexpr std::uint16_t kProgramControlWord = 0x133F;

// The value is not named "word": MSVC's inline assembler reserves that name (WORD PTR).
inline void LoadX87ControlWord(std::uint16_t controlWord) noexcept {
#if defined(_MSC_VER) && defined(_M_IX86)
  __asm { fldcw controlWord }
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  asm volatile("fldcw %0" : : "m"(controlWord));
#else
  (void)controlWord;
#endif
}

inline std::uint16_t X87ControlWord() noexcept {
  std::uint16_t controlWord = 0;
#if defined(_MSC_VER) && defined(_M_IX86)
  __asm { fnstcw controlWord }
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  asm volatile("fnstcw %0" : "=m"(controlWord));
#endif
  return controlWord;
}

// Saves the floating-point environment (x87 control, status and tag words, and the SSE control
// and status register) and puts it back when the scope ends, so a platform call cannot leave
// the program in another mode. On x86 with GCC or Clang it is read directly: MinGW's fegetenv
// asks the CPU for its features on every call, and that question is costly inside virtual
// machines. _MSC_VER is asked first, here as everywhere: the check of the sources under MSVC's
// rules runs Clang with both defined, and must see the branch MSVC takes.
class SavedFloatingPointState {
 public:
  SavedFloatingPointState() noexcept { Save(); }
  ~SavedFloatingPointState() { Restore(); }
  SavedFloatingPointState(const SavedFloatingPointState&) = delete;
  SavedFloatingPointState& operator=(const SavedFloatingPointState&) = delete;

 private:
#if !defined(_MSC_VER) && defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  void Save() noexcept {
    // fnstenv masks every exception as a side effect; fldenv undoes that.
    asm volatile("fnstenv %0\n\tfldenv %0" : "=m"(x87_));
    if (HasSse()) asm volatile("stmxcsr %0" : "=m"(mxcsr_));
  }
  void Restore() noexcept {
    asm volatile("fldenv %0" : : "m"(x87_));
    if (HasSse()) asm volatile("ldmxcsr %0" : : "m"(mxcsr_));
  }
  // Asks the system what it recorded of the CPU, never the CPU itself.
  static bool HasSse() noexcept {
#if defined(__x86_64__)
    return true;
#elif defined(_WIN32)
    return IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != 0;
#else
    return __builtin_cpu_supports("sse");
#endif
  }

  struct {
    unsigned char bytes[28];
  } x87_;
  std::uint32_t mxcsr_ = 0;
#else
  void Save() noexcept {
    std::fegetenv(&saved_);
  }
  void Restore() noexcept {
    std::fesetenv(&saved_);
  }

  std::fenv_t saved_;
#endif
};

}  // namespace vantrel
