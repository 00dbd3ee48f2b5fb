#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/program_driver.h"
#include "support/temp_directory.h"
#include "support/wine.h"

namespace vantrel {
namespace {

std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of('\\'));
}

// With SetDefaultDllDirectories (Windows 8 on, Wine) and without it (XP, Vista, 7 without
// KB2533623, made here by refusing the look-up), the library comes from the system directory,
// never from a RICHED32.DLL beside the program, and neither does the RICHED20.DLL it may load
// in turn (Wine's RICHED32.DLL imports it).
TEST(RichEditLibraryTest, ComesFromTheSystemDirectoryWithOrWithoutNarrowedSearch) {
  char system[MAX_PATH];
  ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
  // A 32-bit process on 64-bit Windows is given the 32-bit system directory instead; elsewhere
  // there is none.
  char wow64[MAX_PATH] = "";
  GetSystemWow64DirectoryA(wow64, MAX_PATH);
  const char* const kPlanted[] = {"RICHED32.DLL", "RICHED20.DLL"};
  // Windows looks for them beside the program first by itself; Wine is told to.
  const testing::RichEditFilesFirst asOnWindows("rich_edit_probe.exe");

  for (const char* lookUp : {"refused", "found"}) {
    SCOPED_TRACE(lookUp);
    testing::TempDirectory dir;
    ASSERT_TRUE(CopyFileA(testing::ProgramPath("rich_edit_probe.exe").c_str(),
                          dir.PathOf("rich_edit_probe.exe").c_str(), FALSE));
    for (const char* planted : kPlanted) {
      ASSERT_TRUE(CopyFileA(testing::ProgramPath("planted_dll.dll").c_str(),
                            dir.PathOf(planted).c_str(), FALSE));
    }
    const testing::RunningProgram probe("\"" + dir.PathOf("rich_edit_probe.exe") + "\" " + lookUp +
                                            " \"" + dir.PathOf("loaded.txt") + "\"",
                                        dir.path());
    ASSERT_TRUE(probe.started());
    ASSERT_EQ(probe.WaitForExit(), 0u) << "1: no library loaded";

    std::ifstream file(dir.PathOf("loaded.txt"), std::ios::binary);
    const std::string loaded{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(Lower(loaded.substr(loaded.find_last_of('\\') + 1)), "riched32.dll");
    const std::string folder = Lower(FolderOf(loaded));
    EXPECT_TRUE(folder == Lower(system) || (wow64[0] != '\0' && folder == Lower(wow64)))
        << loaded << " is not in " << system;
    for (const std::string planted : kPlanted) {
      EXPECT_EQ(GetFileAttributesA(dir.PathOf(planted + ".loaded").c_str()),
                INVALID_FILE_ATTRIBUTES)
          << "the " << planted << " beside the program was loaded";
    }
  }
}

}  // namespace
}  // namespace vantrel
