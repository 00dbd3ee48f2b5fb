#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/program_driver.h"
#include "support/temp_directory.h"
#include "support/wine.h"

namespace vantrel {
namespace {

// Compared as the file system compares names: without regard to case, in any script.
std::wstring Lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\'));
}

// With SetDefaultDllDirectories (Windows 8 on, Wine) and without it (XP, Vista, 7 without
// KB2533623, made here by refusing the look-up), the library comes from the system directory,
// never from a RICHED32.DLL beside the program, and neither does the RICHED20.DLL it may load
// in turn (Wine's RICHED32.DLL imports it).
TEST(RichEditLibraryTest, ComesFromTheSystemDirectoryWithOrWithoutNarrowedSearch) {
  wchar_t system[MAX_PATH];
  ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
  // A 32-bit process on 64-bit Windows is given the 32-bit system directory instead; elsewhere
  // there is none.
  wchar_t wow64[MAX_PATH] = L"";
  GetSystemWow64DirectoryW(wow64, MAX_PATH);
  const char* const kPlanted[] = {"RICHED32.DLL", "RICHED20.DLL"};
  // Windows looks for them beside the program first by itself; Wine is told to.
  const testing::RichEditFilesFirst asOnWindows("rich_edit_probe.exe");

  for (const char* lookUp : {"refused", "found"}) {
    SCOPED_TRACE(lookUp);
    testing::TempDirectory dir;
    ASSERT_TRUE(testing::Copy(testing::ProgramPath("rich_edit_probe.exe"),
                              dir.PathOf("rich_edit_probe.exe")));
    for (const char* planted : kPlanted) {
      ASSERT_TRUE(testing::Copy(testing::ProgramPath("planted_dll.dll"), dir.PathOf(planted)));
    }
    const testing::RunningProgram probe("\"" + dir.PathOf("rich_edit_probe.exe") + "\" " + lookUp +
                                            " \"" + dir.PathOf("loaded.txt") + "\"",
                                        dir.path());
    ASSERT_TRUE(probe.started());
    ASSERT_EQ(probe.WaitForExit(), 0u) << "1: no library loaded";

    const std::wstring loaded = testing::Wide(testing::ReadWhole(dir.PathOf("loaded.txt")));
    EXPECT_EQ(Lower(loaded.substr(loaded.find_last_of(L'\\') + 1)), L"riched32.dll");
    const std::wstring folder = Lower(FolderOf(loaded));
    EXPECT_TRUE(folder == Lower(system) || (wow64[0] != L'\0' && folder == Lower(wow64)))
        << testing::Utf8(loaded) << " is not in " << testing::Utf8(system);
    for (const std::string planted : kPlanted) {
      EXPECT_EQ(GetFileAttributesW(testing::Wide(dir.PathOf(planted + ".loaded")).c_str()),
                INVALID_FILE_ATTRIBUTES)
          << "the " << planted << " beside the program was loaded";
    }
  }
}

}  // namespace
}  // namespace vantrel
