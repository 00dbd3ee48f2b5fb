#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <type_traits>

#include "app/floating_point_state.h"
#include "app/scoped_win.h"
#include "app/spin_lock.h"

namespace vantrel {

template <typename T>
struct GuardedResult {
  T value;
  DWORD lastError;

  // A call that set the last-error value failed, whatever it returned.
  bool failed() const { return lastError != 0; }
};

// Both saved states below are process-wide, so two calls must not overlap.
inline SpinLock& GuardLock() {
  static SpinLock lock;
  return lock;
}

// Makes one file-system call with the platform's own error boxes suppressed (a missing disk
// must not stop the scan with a dialog), a clean last-error value, and the floating-point
// state kept as it was.
template <typename Function, typename... Args>
auto GuardedCall(Function function, Args... args)
    -> GuardedResult<std::invoke_result_t<Function, Args...>> {
  const std::lock_guard<SpinLock> lock(GuardLock());
  const SavedFloatingPointState floatingPoint;
  const ErrorModeScope errorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  SetLastError(0);
  auto value = std::invoke(function, args...);
  return {value, GetLastError()};
}

}  // namespace vantrel
