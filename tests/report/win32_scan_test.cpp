#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "app/floating_point_state.h"
#include "report/guarded_call.h"
#include "report/win32_file_system.h"
#include "support/folder_text.h"
#include "support/temp_directory.h"

namespace vantrel {
namespace {

using testing::CurrentDirectoryScope;
using testing::TempDirectory;

using testing::FolderFileHeader;
using testing::ReportRow;

// Holds a file open as a mail client might, for a test's scope.
class HeldFile {
 public:
  HeldFile(const std::string& path, DWORD access, DWORD share)
      : handle_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldFile() {
    if (valid()) CloseHandle(handle_);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// A directory with every kind of entry the scan meets. The expected rows are keyed by the name
// the listing delivers; the order is the platform's and is taken from its own listing.
TEST(Win32ScanTest, ReportOfARealDirectoryMatchesByteForByte) {
  TempDirectory dir;
  std::string inbox = FolderFileHeader("Inbox", "6047572E:6F49:FOL01355");
  inbox += "From: someone\r\n\r\nHello\r\n\x1A";
  dir.Write("INBOX.PMM", inbox);
  dir.Write("EMPTY.PMM", "");
  dir.Write("FIFTY.PMM", std::string(50, 'f'));
  dir.Write("NONUL.PMM", std::string(200, 'n'));
  dir.Write(".DOTTED.PMM", FolderFileHeader("dot", "files are hidden"));
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

  const std::map<std::string, std::string> expectedRows = {
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
  };

  const CurrentDirectoryScope inDirectory(dir.path());
  FolderReport expected(kReportHeading);
  for (const std::string& name : testing::ListingOrder("*.PMM")) {
    const auto row = expectedRows.find(name);
    if (row != expectedRows.end()) expected += row->second;
  }
  ASSERT_EQ(
      expected.size(), kReportHeading.size() +
                           [&] {
                             std::size_t all = 0;
                             for (const auto& [name, row] : expectedRows) all += row.size();
                             return all;
                           }())
      << "the listing missed a folder";

  const auto before = testing::Snapshot(dir.path());
  FolderReport report;
  ErrorRecord errors;
  {
    const HeldFile busy(dir.PathOf("BUSY.PMM"), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(busy.valid());
    report = BuildFolderReport(errors);
  }
  EXPECT_EQ(report, expected);
  EXPECT_EQ(testing::Snapshot(dir.path()), before) << "the scan changed the directory";
}

TEST(Win32ScanTest, NameTheAnsiCodePageCannotHoldIsRefusedWithoutAnOpen) {
  TempDirectory dir;
  const std::wstring wide =
      std::wstring(dir.path().begin(), dir.path().end()) + L"\\\x65E5\x672C.PMM";
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "0123456789", 10, &written, nullptr);
  CloseHandle(file);

  const CurrentDirectoryScope inDirectory(dir.path());
  ErrorRecord errors;
  const FolderReport report = BuildFolderReport(errors);
  EXPECT_EQ(report, std::string(kReportHeading) + ReportRow("??.PMM      ", "", "          10",
                                                            "(could not be read: invalid name)"));
}

TEST(Win32FileSystemTest, OpenNeverCreatesAndLetsTheMailClientIn) {
  TempDirectory dir;
  dir.Write("HERE.PMM", FolderFileHeader("Here", "H"));
  const CurrentDirectoryScope inDirectory(dir.path());
  Win32FileSystem fileSystem;

  OpenedFile file;
  EXPECT_EQ(fileSystem.Open("GONE.PMM", file), kErrorFileNotFound);
  EXPECT_EQ(GetFileAttributesA("GONE.PMM"), INVALID_FILE_ATTRIBUTES)
      << "a missing folder was created";

  ASSERT_EQ(fileSystem.Open("HERE.PMM", file), kErrorNone);
  EXPECT_TRUE(file.isDiskFile);
  {
    // While the scan looks, the mail client can still open its folder to read and write.
    const HeldFile client("HERE.PMM", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_TRUE(client.valid());
  }
  fileSystem.Close(file.id);
}

TEST(Win32FileSystemTest, DeviceNameIsNotReadAsAFolder) {
  Win32FileSystem fileSystem;
  OpenedFile file;
  ASSERT_EQ(fileSystem.Open("NUL", file), kErrorNone);
  EXPECT_FALSE(file.isDiskFile);
  fileSystem.Close(file.id);
}

TEST(GuardedCallTest, ReportsTheCallsErrorAndRestoresTheProcessState) {
  LoadX87ControlWord(kProgramControlWord);
  const std::uint16_t programWord =
      X87ControlWord();  // reserved bits read back as the CPU sets them
  const UINT previousMode = SetErrorMode(0);

  UINT modeDuringCall = 0;
  const auto result = GuardedCall([&] {
    modeDuringCall = GetErrorMode();
    LoadX87ControlWord(0x027F);  // what a careless DLL might leave behind
    SetErrorMode(0);
    SetLastError(ERROR_SHARING_VIOLATION);
    return 42;
  });

  EXPECT_EQ(result.value, 42);
  EXPECT_TRUE(result.failed());
  EXPECT_EQ(result.lastError, DWORD{ERROR_SHARING_VIOLATION});
  EXPECT_EQ(modeDuringCall, UINT{SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX});
  EXPECT_EQ(GetErrorMode(), 0u);
  EXPECT_EQ(X87ControlWord(), programWord);
  SetErrorMode(previousMode);

  SetLastError(ERROR_ACCESS_DENIED);
  const auto clean = GuardedCall([] { return 0; });
  EXPECT_FALSE(clean.failed()) << "a stale last-error value must not count";
}

}  // namespace
}  // namespace vantrel
