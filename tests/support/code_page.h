#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace vantrel::testing {

// The CTest entries that run a test program under another locale name the ANSI code page Wine
// must then give it (VANTREL_EXPECTED_ACP), so a locale missing on the machine fails instead of
// skipping. Run by itself, on Windows, a program takes the system's code page as it is.
inline void ExpectTheCodePageOfThisRun() {
  if (const char* expected = std::getenv("VANTREL_EXPECTED_ACP")) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected))) << "locale not installed?";
  }
}

}  // namespace vantrel::testing
