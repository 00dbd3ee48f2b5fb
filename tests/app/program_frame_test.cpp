#include "app/program_frame.h"

#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>

#include "app/floating_point_state.h"
#include "app/scoped_win.h"
#include "support/program_driver.h"
#include "support/temp_directory.h"
#include "ui/dialog_font.h"

namespace vantrel {
namespace {

// x87 bits that mean something; the reserved ones read back as the CPU sets them.
constexpr std::uint16_t kControlBits = 0x1F3F;

// Converts as the x87 unit does under the current control word (fistp), not as C++ truncates.
std::int32_t ConvertWithControlWord(double value) {
  std::int32_t result;
  asm volatile("fistpl %0" : "=m"(result) : "t"(value) : "st");
  return result;
}

// What a main routine saw of the frame, filled in while it runs.
struct Observed {
  bool called = false;
  std::uint16_t controlWord = 0;
  std::int32_t conversions[5] = {};
  bool hasThreadState = false;
  std::string face;
  std::uint32_t pointSize = 0;
  std::string otherThreadFace;
  HRESULT comAgain = E_FAIL;
};
Observed observed;

int ObservingMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
  observed.called = true;
  observed.controlWord = X87ControlWord() & kControlBits;
  const double values[] = {2.5, 3.5, -2.5, 2147483648.0, -1e12};
  for (int i = 0; i < 5; ++i) observed.conversions[i] = ConvertWithControlWord(values[i]);
  observed.hasThreadState = CurrentThreadState() != nullptr;
  observed.face = std::string(CurrentDialogFont().Face());
  observed.pointSize = CurrentDialogFont().pointSize;
  SetDialogFont("Courier", 8);
  std::thread([] { observed.otherThreadFace = std::string(CurrentDialogFont().Face()); }).join();
  observed.comAgain = ComScope().result();
  return instance == GetModuleHandleA(nullptr) && previous == nullptr ? 42 : 1;
}

class ProgramFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { observed = {}; }
  void TearDown() override { LoadX87ControlWord(savedControlWord_); }

 private:
  std::uint16_t savedControlWord_ = X87ControlWord();
};

TEST_F(ProgramFrameTest, RunsTheMainRoutineInTheProgramsModeAndReleasesEverything) {
  EXPECT_EQ(RunProgram(&ObservingMain), 42);

  ASSERT_TRUE(observed.called);
  EXPECT_EQ(observed.controlWord, 0x133F);
  EXPECT_EQ(observed.conversions[0], 2);
  EXPECT_EQ(observed.conversions[1], 4);
  EXPECT_EQ(observed.conversions[2], -2);
  EXPECT_EQ(observed.conversions[3], INT_MIN) << "out of range gives the integer indefinite";
  EXPECT_EQ(observed.conversions[4], INT_MIN);
  EXPECT_TRUE(observed.hasThreadState);
  EXPECT_EQ(observed.face, "MS Sans Serif");
  EXPECT_EQ(observed.pointSize, 8u);
  EXPECT_EQ(observed.otherThreadFace, "Courier") << "a new thread starts from the main one's font";
  EXPECT_EQ(observed.comAgain, S_FALSE) << "COM was initialised on this thread";

  EXPECT_EQ(CurrentThreadState(), nullptr) << "the slot outlived the frame";
  EXPECT_EQ(ComScope().result(), S_OK) << "COM was left initialised";
}

DWORD WINAPI NoSlot() {
  return TLS_OUT_OF_INDEXES;
}
HGLOBAL WINAPI NoMemory(UINT, SIZE_T) {
  return nullptr;
}

TEST_F(ProgramFrameTest, WithoutThreadStateTheMainRoutineNeverRuns) {
  const ThreadStateAllocation failures[] = {{&NoSlot, &GlobalAlloc}, {&TlsAlloc, &NoMemory}};
  for (const auto& allocation : failures) {
    EXPECT_EQ(RunProgram(&ObservingMain, allocation), 255);
    EXPECT_FALSE(observed.called);
    EXPECT_EQ(CurrentThreadState(), nullptr);
    EXPECT_EQ(ComScope().result(), S_OK) << "COM was left initialised";
  }
}

// The same frame in a process of its own, so the exit code and the start-up information are
// the platform's.
TEST(ProgramFrameProcessTest, ExitCodesAndShowCommand) {
  struct Case {
    const char* arguments;
    std::optional<WORD> showWindow;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"no-slot", std::nullopt, 255},
      {"no-memory", std::nullopt, 255},
      {"show-command", WORD{SW_SHOWMINNOACTIVE}, SW_SHOWMINNOACTIVE},
      {"show-command", std::nullopt, SW_SHOWDEFAULT},
      {"show-command \"a b\"", std::nullopt, SW_SHOWDEFAULT},
      // Windows' C runtime answers an abort in a GUI program with a message box unless its
      // error mode says otherwise; Wine's never shows one, so the mode itself is checked too.
      {"abort", std::nullopt, 3},
      {"error-mode", std::nullopt, _OUT_TO_STDERR},
      // A smashed stack ends the process at once with Windows' code for it, no box, no exit
      // routines; the same copy within the buffer returns.
      {"fill fifteen-letters", std::nullopt, 0},
      {"fill 64-characters-that-overwrite-the-stack-guard-and-more-besides", std::nullopt,
       0xC0000409},
  };
  const std::string directory = testing::CurrentDirectory();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const testing::RunningProgram probe(testing::ProgramCommand("frame_probe.exe", c.arguments),
                                        directory, c.showWindow);
    ASSERT_TRUE(probe.started());
    EXPECT_EQ(probe.WaitForExit(), c.exitCode);
  }
}

// The stack protector's guard is seeded anew in every process, not left at its initial value.
TEST(ProgramFrameProcessTest, StackGuardDiffersBetweenProcesses) {
  const std::string directory = testing::CurrentDirectory();
  std::optional<DWORD> guards[2];
  for (auto& guard : guards) {
    const testing::RunningProgram probe(testing::ProgramCommand("frame_probe.exe", "guard"),
                                        directory);
    ASSERT_TRUE(probe.started());
    guard = probe.WaitForExit();
    ASSERT_TRUE(guard.has_value());
    EXPECT_NE(*guard, 0x2F6A71C5u) << "the guard kept its initial value";
  }
  EXPECT_NE(*guards[0], *guards[1]);
}

}  // namespace
}  // namespace vantrel
