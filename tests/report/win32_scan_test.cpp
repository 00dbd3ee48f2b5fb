#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "app/floating_point_state.h"
#include "app/scoped_win.h"
#include "report/guarded_call.h"
#include "report/win32_file_system.h"
#include "support/code_page.h"
#include "support/folder_text.h"
#include "support/temp_directory.h"
#include "ui/utf8_code_page.h"

namespace vantrel {
namespace {

using testing::CurrentDirectoryScope;
using testing::TempDirectory;

using testing::FolderFileHeader;
using testing::ReportRow;

// A directory with every kind of entry the scan meets, deep enough that a long name takes its
// path past MAX_PATH. The expected rows are keyed by the true (UTF-8) name; the order is the
// platform's and is taken from its own listing.
TEST(Win32ScanTest, ReportOfARealDirectoryMatchesByteForByte) {
  testing::ExpectTheCodePageOfThisRun();
  if (testing::ManifestAsksForUtf8() && GetACP() != CP_UTF8) {
    GTEST_SKIP() << "needs code page 65001, which Windows gives this program from Windows 10 "
                    "version 1903 on; this one runs under "
                 << GetACP();
  }
  TempDirectory dir(200);
  std::string inbox = FolderFileHeader("Inbox", "6047572E:6F49:FOL01355");
  inbox += "From: someone\r\n\r\nHello\r\n\x1A";
  dir.Write("INBOX.PMM", inbox);
  dir.Write("EMPTY.PMM", "");
  dir.Write("FIFTY.PMM", std::string(50, 'f'));
  dir.Write("NONUL.PMM", std::string(200, 'n'));
  // Wine reports every Unix dot-file hidden, Windows none: the attribute is set here for both.
  dir.Write(".DOTTED.PMM", FolderFileHeader("dot", "hidden as well"));
  dir.SetAttributes(".DOTTED.PMM", FILE_ATTRIBUTE_HIDDEN);
  dir.Write("HIDDEN.PMM", FolderFileHeader("hidden", ""));
  dir.SetAttributes("HIDDEN.PMM", FILE_ATTRIBUTE_HIDDEN);
  dir.MakeDirectory("X.PMM");
  dir.Write("READONLY.PMM", FolderFileHeader("Read only", "RO1"));
  dir.SetAttributes("READONLY.PMM", FILE_ATTRIBUTE_READONLY);
  dir.Write("BUSY.PMM", FolderFileHeader("Busy", "B1") + std::string(872, 'b'));
  dir.Write("SPARSE3G.PMM", FolderFileHeader("Archive 2019", "ARC"));
  dir.Extend("SPARSE3G.PMM", 3221225472ULL);
  dir.Write("BILLION.PMM", FolderFileHeader("Big", "BIG"));
  dir.Extend("BILLION.PMM", 1000000000ULL);
  dir.Write("LONGFOLDERNAME.PMM", FolderFileHeader("Long", "L"));
  dir.Write("lower.pmm", FolderFileHeader("Lower case", "lc"));
  dir.Write("NOTES.TXT", "not a folder");
  // Names that bare ANSI names would take for another file, for a device, or for none.
  dir.Write("A.PMM", FolderFileHeader("Plain A", "A-ID"));
  dir.Write("A.PMM.", FolderFileHeader("A with a dot", "A-DOT"));
  dir.Write("B.PMM ", FolderFileHeader("B with a space", "B-SPACE"));
  dir.Write("NUL.PMM", FolderFileHeader("Not the device", "NUL"));
  dir.Write("CON.PMM", FolderFileHeader("Not the console", "CON") + "x");
  const std::string longest = std::string(251, 'L') + ".PMM";
  dir.Write(longest, FolderFileHeader("Longest name", "LONGEST") + "xy");
  ASSERT_GT(dir.PathOf(longest).size(), std::size_t{MAX_PATH});

  std::map<std::string, std::string> expectedRows = {
      {"INBOX.PMM", ReportRow("INBOX.PMM   ", "6047572E:6F49:FOL01355", "         153", "Inbox")},
      {"EMPTY.PMM", ReportRow("EMPTY.PMM   ", "", "          00", "")},
      {"FIFTY.PMM", ReportRow("FIFTY.PMM   ", "", "          50", std::string(50, 'f'))},
      {"NONUL.PMM",
       ReportRow("NONUL.PMM   ", std::string(41, 'n'), "         200", std::string(127, 'n'))},
      {"READONLY.PMM", ReportRow("READONLY.PMM", "RO1", "         128", "Read only")},
      {"BUSY.PMM", ReportRow("BUSY.PMM    ", "", "       1,000",
                             "(could not be read: in use by another program)")},
      {"SPARSE3G.PMM", ReportRow("SPARSE3G.PMM", "ARC", "3,221,225,472", "Archive 2019")},
      {"BILLION.PMM", ReportRow("BILLION.PMM ", "BIG", "1,000,000,000", "Big")},
      {"LONGFOLDERNAME.PMM", ReportRow("LONGFOLDERNA", "L", "         128", "Long")},
      {"lower.pmm", ReportRow("lower.pmm   ", "lc", "         128", "Lower case")},
      {"A.PMM", ReportRow("A.PMM       ", "A-ID", "         128", "Plain A")},
      {"A.PMM.", ReportRow("A.PMM.      ", "A-DOT", "         128", "A with a dot")},
      {"B.PMM ", ReportRow("B.PMM       ", "B-SPACE", "         128", "B with a space")},
      {"NUL.PMM", ReportRow("NUL.PMM     ", "NUL", "         128", "Not the device")},
      {"CON.PMM", ReportRow("CON.PMM     ", "CON", "         129", "Not the console")},
      {longest, ReportRow("LLLLLLLLLLLL", "LONGEST", "         130", "Longest name")},
  };
  // Names outside ASCII, in the code pages the tests run under: Western Windows (1252, which
  // Wine uses in a C or English locale), Japanese (932) and UTF-8 (65001). The name column is in
  // the code page; a character it cannot spell shows as "?", never as a look-alike ("Ābc"
  // is not "Abc"), and one cut at 12 bytes as one "?"; the folder is read all the same.
  const std::string macronA = "\xC4\x80", nihon = "\xE6\x97\xA5\xE6\x9C\xAC", go = "\xE8\xAA\x9E";
  const UINT codePages[] = {1252, 932, 65001};
  const struct {
    std::string name, friendlyName, column[3];
  } spelled[] = {
      {"Abc.PMM", "Plain Abc", {"Abc.PMM     ", "Abc.PMM     ", "Abc.PMM     "}},
      {macronA + "bc.PMM",
       "A with macron",
       {"?bc.PMM     ", "?bc.PMM     ", macronA + "bc.PMM    "}},
      {"\xCE\xA9mega.PMM", "Omega", {"?mega.PMM   ", "\x83\xB6mega.PMM  ", "\xCE\xA9mega.PMM  "}},
      {nihon + ".PMM", "Japan", {"??.PMM      ", "\x93\xFA\x96\x7B.PMM    ", nihon + ".PMM  "}},
      {"Caf\xC3\xA9.PMM", "Cafe", {"Caf\xE9.PMM    ", "Caf?.PMM    ", "Caf\xC3\xA9.PMM   "}},
      {"a" + nihon + go + nihon + go + ".PMM",
       "Cut",
       {"a??????.PMM ", "a\x93\xFA\x96\x7B\x8C\xEA\x93\xFA\x96\x7B?", "a" + nihon + go + "? "}},
  };
  const std::size_t page =
      std::find(std::begin(codePages), std::end(codePages), GetACP()) - std::begin(codePages);
  if (page < std::size(codePages)) {
    for (const auto& row : spelled) {
      dir.Write(row.name, FolderFileHeader(row.friendlyName, "CP"));
      expectedRows[row.name] = ReportRow(row.column[page], "CP", "         128", row.friendlyName);
    }
  }

  // "*.PMM" matches a long name as it stands, and a short name where the volume makes them
  // (fsutil 8dot3name), which need not end in ".PMM": Windows may list these two or not. Wine
  // lists both, through short names of its own that take the extension after the last inner dot.
  const std::set<std::string> listedOnlyBySomeVolumes = {"A.PMM.", "B.PMM "};
  const CurrentDirectoryScope inDirectory(dir.path());
  std::string expected(kReportHeading);
  std::size_t requiredListed = 0;
  for (const std::string& name : testing::ListingOrder("*.PMM")) {
    const auto row = expectedRows.find(name);
    if (row == expectedRows.end()) continue;
    expected += row->second;
    requiredListed += !listedOnlyBySomeVolumes.contains(name);
  }
  ASSERT_EQ(requiredListed, expectedRows.size() - listedOnlyBySomeVolumes.size())
      << "the listing missed a folder";

  const auto before = testing::Snapshot(dir.path());
  std::string report;
  ErrorRecord errors;
  {
    const ScopedFile busy =
        testing::OpenFile(dir.PathOf("BUSY.PMM"), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(busy.valid()) << GetLastError();
    report = BuildFolderReport(errors).view();
  }
  EXPECT_EQ(report, expected);
  EXPECT_EQ(testing::Snapshot(dir.path()), before) << "the scan changed the directory";
  if (page == std::size(codePages)) {
    GTEST_SKIP() << "names outside ASCII need code page 1252, 932 or 65001; this system's is "
                 << GetACP();
  }
}

TEST(Win32FileSystemTest, OpenNeverCreatesAndLetsTheMailClientIn) {
  TempDirectory dir;
  dir.Write("HERE.PMM", FolderFileHeader("Here", "H"));
  const CurrentDirectoryScope inDirectory(dir.path());
  Win32FileSystem fileSystem;

  OpenedFile file;
  EXPECT_EQ(fileSystem.Open(L"GONE.PMM", file), kErrorFileNotFound);
  EXPECT_EQ(GetFileAttributesA("GONE.PMM"), INVALID_FILE_ATTRIBUTES)
      << "a missing folder was created";
  // A name is a file of the directory, never the device of that name.
  EXPECT_EQ(fileSystem.Open(L"NUL", file), kErrorFileNotFound);

  ASSERT_EQ(fileSystem.Open(L"HERE.PMM", file), kErrorNone);
  EXPECT_TRUE(file.isDiskFile);
  {
    // While the scan looks, the mail client can still open its folder to read and write.
    const ScopedFile client = testing::OpenFile("HERE.PMM", GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_TRUE(client.valid()) << GetLastError();
  }
  // ...and rename or delete it.
  EXPECT_TRUE(testing::Move("HERE.PMM", "THERE.PMM")) << GetLastError();
  EXPECT_TRUE(testing::Delete("THERE.PMM")) << GetLastError();
  fileSystem.Close(file.id);
}

// A held file is tried again until its holder lets go (a scanner may hold it longer); an error
// no holder causes ends the wait at once, and is the one left.
TEST(WhileHeldTest, WaitsOnlyForAHolder) {
  TempDirectory dir;
  dir.Write("HELD.PMM", "");
  const CurrentDirectoryScope inDirectory(dir.path());
  const struct {
    const char* path;
    bool held;
    bool deleted;
    int attempts;
    DWORD error;
  } cases[] = {
      {"HELD.PMM", true, true, 3, ERROR_SUCCESS},
      {"GONE.PMM", false, false, 1, ERROR_FILE_NOT_FOUND},
      {"GONE\\HELD.PMM", false, false, 1, ERROR_PATH_NOT_FOUND},
      {"BAD?.PMM", false, false, 1, ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    ScopedFile holder;
    if (c.held) holder = testing::OpenFile(c.path, GENERIC_READ, FILE_SHARE_READ);
    int attempts = 0;
    const bool deleted = testing::WhileHeld([&] {
      if (++attempts == 3) holder.reset();  // the holder lets go after the second failure
      return DeleteFileW(testing::Wide(c.path).c_str()) != FALSE;
    });
    const DWORD error = deleted ? DWORD{ERROR_SUCCESS} : GetLastError();
    EXPECT_EQ(deleted, c.deleted);
    if (c.held) {
      EXPECT_GE(attempts, c.attempts);
    } else {
      EXPECT_EQ(attempts, c.attempts);
    }
    EXPECT_EQ(error, c.error);
  }
}

// Windows fails the whole conversion, and the name would show empty, when given a flag its code
// page refuses; Wine takes any.
TEST(Win32FileSystemTest, NamesAreConvertedWithOnlyFlagsTheCodePageTakes) {
  const struct {
    UINT codePage;
    DWORD flags;
  } cases[] = {
      {1252, 0x400}, {1250, 0x400},  {874, 0x400}, {932, 0x400}, {936, 0x400}, {949, 0x400},
      {950, 0x400},  {20127, 0x400}, {42, 0},      {50220, 0},   {50221, 0},   {50222, 0},
      {50225, 0},    {50227, 0},     {50229, 0},   {57002, 0},   {57006, 0},   {57011, 0},
      {65000, 0},    {65001, 0},     {54936, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameConversionFlags(c.codePage), c.flags) << c.codePage;
  }
}

// How Windows XP reads the error mode: setting one returns the mode before it, put back at once.
UINT ErrorModeAsXpReadsIt() {
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  return mode;
}

// GetErrorMode came with Vista; a test program that imported it would not start on XP at all.
UINT ErrorMode() {
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetErrorMode");
  if (found == nullptr) return ErrorModeAsXpReadsIt();
  return reinterpret_cast<UINT(WINAPI*)()>(reinterpret_cast<void (*)()>(found))();
}

TEST(GuardedCallTest, ReportsTheCallsErrorAndRestoresTheProcessState) {
  LoadX87ControlWord(kProgramControlWord);
  const std::uint16_t programWord =
      X87ControlWord();  // reserved bits read back as the CPU sets them
  const UINT previousMode = SetErrorMode(0);
  // Windows keeps SEM_NOALIGNMENTFAULTEXCEPT once a process has set it (GoogleTest sets it
  // before any test): what clearing leaves is the floor every mode here stands on.
  const UINT kept = ErrorMode();

  UINT modeDuringCall = 0;
  UINT xpModeDuringCall = 0;
  const auto result = GuardedCall([&] {
    modeDuringCall = ErrorMode();
    xpModeDuringCall = ErrorModeAsXpReadsIt();
    LoadX87ControlWord(0x027F);  // what a careless DLL might leave behind
    SetErrorMode(0);
    SetLastError(ERROR_SHARING_VIOLATION);
    return 42;
  });

  EXPECT_EQ(result.value, 42);
  EXPECT_TRUE(result.failed());
  EXPECT_EQ(result.lastError, DWORD{ERROR_SHARING_VIOLATION});
  EXPECT_EQ(modeDuringCall, kept | 0x8001u);
  EXPECT_EQ(xpModeDuringCall, kept | 0x8001u) << "read as on Windows XP";
  EXPECT_EQ(ErrorMode(), kept);
  EXPECT_EQ(X87ControlWord(), programWord);
  SetErrorMode(previousMode);

  SetLastError(ERROR_ACCESS_DENIED);
  const auto clean = GuardedCall([] { return 0; });
  EXPECT_FALSE(clean.failed()) << "a stale last-error value must not count";
}

}  // namespace
}  // namespace vantrel
