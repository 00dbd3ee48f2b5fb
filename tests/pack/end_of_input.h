#pragma once

#include <windows.h>

namespace vantrel::testing {

// Returns when this process's standard input ends: the bench's checks end a helper program by
// closing the pipe they write to it.
inline void WaitForEndOfInput() {
  char buffer[256];
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
         read > 0) {
  }
}

}  // namespace vantrel::testing
