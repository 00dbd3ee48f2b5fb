#include "app/thread_state.h"

namespace vantrel {

// Natively there is no frame: each thread simply has a record of its own.
ThreadState* CurrentThreadState() {
  thread_local ThreadState state = kStartupThreadState;
  return &state;
}

}  // namespace vantrel
