#pragma once

#include <cfenv>
#include <cstdint>

namespace vantrel {

// The program runs with every x87 exception masked, 64-bit significands and rounding to nearest
// (ties to even). Some system DLLs change the control word; this is the value to put back.
inline constexpr std::uint16_t kProgramControlWord = 0x133F;

inline void LoadX87ControlWord(std::uint16_t word) noexcept {
#if defined(_MSC_VER) && defined(_M_IX86)
  __asm fldcw word
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  asm volatile("fldcw %0" : : "m"(word));
#else
  (void)word;
#endif
}

inline std::uint16_t X87ControlWord() noexcept {
  std::uint16_t word = 0;
#if defined(_MSC_VER) && defined(_M_IX86)
  __asm fnstcw word
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  asm volatile("fnstcw %0" : "=m"(word));
#endif
      return word;
}

// Saves the floating-point environment (control and status words, SSE state) and puts it back
// when the scope ends, so a platform call cannot leave the program in another mode.
class SavedFloatingPointState {
 public:
  SavedFloatingPointState() noexcept { std::fegetenv(&saved_); }
  ~SavedFloatingPointState() { std::fesetenv(&saved_); }
  SavedFloatingPointState(const SavedFloatingPointState&) = delete;
  SavedFloatingPointState& operator=(const SavedFloatingPointState&) = delete;

 private:
  std::fenv_t saved_;
};

}  // namespace vantrel
