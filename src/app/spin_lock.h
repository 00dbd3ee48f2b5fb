#pragma once

#include <atomic>
#include <cstdint>

namespace vantrel {

// A 32-bit word, 0 when free. Taking it swaps in -1 until the old value was 0. The program has
// one thread, so it never spins; the lock keeps process-wide state consistent if that changes.
// Use it with std::lock_guard.
class SpinLock {
 public:
  void lock() noexcept {
    while (word_.exchange(-1, std::memory_order_acquire) != 0) {
    }
  }
  void unlock() noexcept { word_.store(0, std::memory_order_release); }

 private:
  std::atomic<std::int32_t> word_{0};
};

}  // namespace vantrel
