#include "report/folder_report.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "fake_file_system.h"
#include "support/folder_text.h"
#include "support/refused_storage.h"

namespace vantrel {
namespace {

using testing::FolderFileHeader;
using testing::ReportRow;

std::string Scan(FakeFileSystem& fileSystem, ErrorRecord* errors = nullptr) {
  ErrorRecord local;
  return std::string(BuildFolderReport(fileSystem, errors ? *errors : local).view());
}

TEST(FolderReportTest, EmptyDirectoryGivesTheHeadingAlone) {
  FakeFileSystem fileSystem;
  EXPECT_EQ(Scan(fileSystem),
            "Foldername  \tIdentifier            \t        Size\tFriendly Name\r\n");
  EXPECT_EQ(fileSystem.lastMask, L"*.PMM");

  fileSystem.files = {{.name = "A.PMM"}};
  fileSystem.findFirstError = kErrorAccessDenied;
  EXPECT_EQ(Scan(fileSystem), kReportHeading);
}

TEST(FolderReportTest, RowLayout) {
  FakeFileSystem fileSystem;
  std::string content = FolderFileHeader("Inbox", "ID0001");
  content.resize(1234, 'm');
  fileSystem.files = {{.name = "ELEVEN1.PMM", .content = content}};

  const std::string report = Scan(fileSystem);
  const std::string row = report.substr(kReportHeading.size());
  EXPECT_EQ(row, "ELEVEN1.PMM \tID0001\t       1,234\tInbox\r\n");
  EXPECT_EQ(row.size(), 40u);
}

TEST(FolderReportTest, SkipsHiddenSystemAndDirectoryEntriesInPlatformOrder) {
  FakeFileSystem fileSystem;
  fileSystem.files = {
      {.name = "HIDDEN.PMM", .attributes = kAttributeHidden},
      {.name = "Z.PMM", .content = FolderFileHeader("zed", "")},
      {.name = "SYS.PMM", .attributes = kAttributeSystem},
      {.name = "DIR.PMM", .attributes = kAttributeDirectory},
      {.name = ".", .attributes = 0},
      {.name = "..", .attributes = 0},
      {.name = "A.PMM", .content = FolderFileHeader("ay", ""), .attributes = kAttributeReadOnly},
      {.name = "LAST.PMM", .attributes = kAttributeHidden | kAttributeReadOnly},
  };
  EXPECT_EQ(Scan(fileSystem), std::string(kReportHeading) +
                                  ReportRow("Z.PMM       ", "", "         128", "zed") +
                                  ReportRow("A.PMM       ", "", "         128", "ay"));
  EXPECT_EQ(fileSystem.findCloses, 1);
  EXPECT_EQ(fileSystem.filesOpen, 0);
}

// Each case: one good folder, then the folder under test. The failed row must hold nothing of
// the good folder read before it.
struct FailedRowCase {
  const char* what;
  FakeFile file;
  std::string expectedRow;
  bool opened;
};

TEST(FolderReportTest, UnreadableFoldersSayWhyAndShowTheirListedSize) {
  const FailedRowCase cases[] = {
      {"held open by the mail client",
       {.name = "BUSY.PMM", .listedSize = 5000, .openError = kErrorSharingViolation},
       ReportRow("BUSY.PMM    ", "", "       5,000",
                 "(could not be read: in use by another program)"),
       true},
      {"access denied",
       {.name = "LOCKED.PMM", .listedSize = 10, .openError = kErrorAccessDenied},
       ReportRow("LOCKED.PMM  ", "", "          10", "(could not be read: access denied)"),
       true},
      {"removed after the listing",
       {.name = "GONE.PMM", .listedSize = 77, .openError = kErrorFileNotFound},
       ReportRow("GONE.PMM    ", "", "          77", "(could not be read: no longer there)"),
       true},
      {"a wildcard in the true name, not only in the name column",
       {.name = "?.PMM", .fileName = L"?.PMM", .content = FolderFileHeader("never", "read")},
       ReportRow("?.PMM       ", "", "         128", "(could not be read: invalid name)"),
       false},
      {"read fails",
       {.name = "BADREAD.PMM", .content = std::string(300, 'r'), .readError = 23},
       ReportRow("BADREAD.PMM ", "", "         300", "(could not be read)"),
       true},
      {"not a disk file",
       {.name = "CON.PMM", .listedSize = 0, .diskFile = false},
       ReportRow("CON.PMM     ", "", "          00", "(could not be read: not a disk file)"),
       true},
      // Opening or reading one of these would pull the whole file down from the cloud.
      {"online only",
       {.name = "CLOUD.PMM", .attributes = 0x400000, .listedSize = 4096},
       ReportRow("CLOUD.PMM   ", "", "       4,096", "(not read: online only)"),
       false},
      {"recalled when opened",
       {.name = "RECALL.PMM", .attributes = 0x40000 | kAttributeReadOnly, .listedSize = 1},
       ReportRow("RECALL.PMM  ", "", "          01", "(not read: online only)"),
       false},
      {"moved to remote storage",
       {.name = "OFFLINE.PMM", .attributes = 0x1000, .listedSize = 3221225472ULL},
       ReportRow("OFFLINE.PMM ", "", "3,221,225,472", "(not read: online only)"),
       false},
      {"3 GiB and busy",
       {.name = "HUGE.PMM", .listedSize = 3221225472ULL, .openError = kErrorLockViolation},
       ReportRow("HUGE.PMM    ", "", "3,221,225,472",
                 "(could not be read: in use by another program)"),
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fileSystem;
    fileSystem.files = {{.name = "GOOD.PMM", .content = FolderFileHeader("Good name", "GOOD-ID")},
                        c.file};
    ErrorRecord errors;
    const std::string report = Scan(fileSystem, &errors);
    EXPECT_EQ(report, std::string(kReportHeading) +
                          ReportRow("GOOD.PMM    ", "GOOD-ID", "         128", "Good name") +
                          c.expectedRow);
    EXPECT_EQ(fileSystem.opened.size(), c.opened ? 2u : 1u);
    EXPECT_EQ(fileSystem.filesOpen, 0);
  }
}

TEST(FolderReportTest, FailedSizeQueryKeepsTheListedSize) {
  FakeFileSystem fileSystem;
  fileSystem.files = {{.name = "S.PMM",
                       .content = FolderFileHeader("sized", "S1"),
                       .listedSize = 2000,
                       .sizeError = kErrorAccessDenied}};
  EXPECT_EQ(Scan(fileSystem),
            std::string(kReportHeading) + ReportRow("S.PMM       ", "S1", "       2,000", "sized"));
}

TEST(FolderReportTest, ShortFileReadsAsZeroPastItsEnd) {
  FakeFileSystem fileSystem;
  fileSystem.files = {{.name = "SHORT.PMM", .content = std::string(50, 's')},
                      {.name = "EMPTY.PMM"}};
  EXPECT_EQ(Scan(fileSystem),
            std::string(kReportHeading) +
                ReportRow("SHORT.PMM   ", "", "          50", std::string(50, 's')) +
                ReportRow("EMPTY.PMM   ", "", "          00", ""));
}

TEST(FolderReportTest, ListingThatBreaksMidwayKeepsTheRowsSoFar) {
  // A network share that goes away, and a platform that runs out of memory for the next entry.
  for (const OsError listingError : {OsError{59}, kErrorNotEnoughMemory}) {
    SCOPED_TRACE(listingError);
    FakeFileSystem fileSystem;
    fileSystem.files = {{.name = "ONE.PMM", .content = FolderFileHeader("one", "1")},
                        {.name = "TWO.PMM", .content = FolderFileHeader("two", "2")},
                        {.name = "THREE.PMM", .content = FolderFileHeader("three", "3")}};
    fileSystem.listingFailsAt = 2;
    fileSystem.listingError = listingError;
    ErrorRecord errors;
    EXPECT_EQ(Scan(fileSystem, &errors), std::string(kReportHeading) +
                                             ReportRow("ONE.PMM     ", "1", "         128", "one") +
                                             ReportRow("TWO.PMM     ", "2", "         128", "two"));
    EXPECT_EQ(errors.error, listingError);
    EXPECT_EQ(fileSystem.findCloses, 1);
  }
}

TEST(FolderReportTest, RefusedStorageCostsRowsNeverTheReport) {
  FakeFileSystem fileSystem;
  fileSystem.files = {{.name = "ONE.PMM", .content = FolderFileHeader("one", "1")},
                      {.name = "TWO.PMM", .content = FolderFileHeader("two", "2")},
                      {.name = "THREE.PMM", .content = FolderFileHeader("three", "3")}};
  {
    // Out of memory from the start: nothing can be kept, but every folder is still visited.
    const testing::RefusedTextStorage refused;
    EXPECT_EQ(Scan(fileSystem), "");
  }
  EXPECT_EQ(fileSystem.opened.size(), 3u);
  EXPECT_EQ(fileSystem.filesOpen, 0);

  // Out of memory from the second folder on: what the report holds stays.
  std::optional<testing::RefusedTextStorage> refused;
  fileSystem.onOpen = [&](std::wstring_view name) {
    if (name == L"TWO.PMM") refused.emplace();
  };
  const std::string report = Scan(fileSystem);
  refused.reset();
  const std::string kept =
      std::string(kReportHeading) + ReportRow("ONE.PMM     ", "1", "         128", "one");
  EXPECT_EQ(report.substr(0, kept.size()), kept);
  EXPECT_EQ(fileSystem.filesOpen, 0);
}

TEST(FolderReportTest, LongNamesAreCutInTheColumnButOpenedWhole) {
  // The longest name a directory entry can have.
  const std::string longName = std::string(251, 'L') + ".PMM";
  FakeFileSystem fileSystem;
  fileSystem.files = {{.name = longName, .content = FolderFileHeader("long", "LONG")}};
  EXPECT_EQ(Scan(fileSystem), std::string(kReportHeading) +
                                  ReportRow("LLLLLLLLLLLL", "LONG", "         128", "long"));
  ASSERT_EQ(fileSystem.opened.size(), 1u);
  EXPECT_EQ(fileSystem.opened[0], std::wstring(longName.begin(), longName.end()));
}

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes include both ranges.
AnsiCharacters ShiftJis() {
  std::array<bool, 256> leadBytes{};
  for (int byte = 0x81; byte <= 0xFC; ++byte) leadBytes[byte] = byte <= 0x9F || byte >= 0xE0;
  return AnsiCharacters::DoubleByte(leadBytes);
}

// A column cut or ended inside a character shows "?" for its lone lead byte; otherwise the
// shown control would take the TAB or CR after it as that character's second byte.
TEST(FolderReportTest, ColumnsNeverEndInALoneLeadByte) {
  const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in code page 932
  // No NUL after offset 86: the identifier is cut at offset 127, inside the 21st character.
  std::string identifierCut = FolderFileHeader("Cut", "");
  for (std::size_t at = 86; at < 128; at += nihongo.size()) identifierCut.replace(at, 6, nihongo);
  const struct {
    const char* what;
    FakeFile file;
    std::string row932;
    std::string rowSingleByte;
  } cases[] = {
      {"name cut at 12 bytes inside a character",
       {.name = "a" + nihongo + nihongo + ".PMM", .content = FolderFileHeader("n", "i")},
       ReportRow("a\x93\xFA\x96\x7B\x8C\xEA\x93\xFA\x96\x7B?", "i", "         128", "n"),
       ReportRow("a\x93\xFA\x96\x7B\x8C\xEA\x93\xFA\x96\x7B\x8C", "i", "         128", "n")},
      {"identifier cut at 41 bytes inside a character",
       {.name = "ID.PMM", .content = identifierCut},
       ReportRow("ID.PMM      ", identifierCut.substr(86, 40) + "?", "         128", "Cut"),
       ReportRow("ID.PMM      ", identifierCut.substr(86, 41), "         128", "Cut")},
      {"texts ending in a lone lead byte, or in a trail byte that looks like one",
       {.name = "END.PMM", .content = FolderFileHeader("Name\x81", "\x81\x81")},
       ReportRow("END.PMM     ", "\x81\x81", "         128", "Name?"),
       ReportRow("END.PMM     ", "\x81\x81", "         128", "Name\x81")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fileSystem;
    fileSystem.files = {c.file};
    ErrorRecord errors;
    EXPECT_EQ(std::string(BuildFolderReport(fileSystem, errors, ShiftJis()).view()),
              std::string(kReportHeading) + c.row932);
    EXPECT_EQ(Scan(fileSystem), std::string(kReportHeading) + c.rowSingleByte);
  }
}

TEST(FolderReportTest, HeaderTextsAreCopiedByteForByte) {
  FakeFileSystem fileSystem;
  fileSystem.files = {
      {.name = "RAW.PMM", .content = FolderFileHeader("tab\there\r\nnext\xE9", "id\t1")}};
  EXPECT_EQ(Scan(fileSystem),
            std::string(kReportHeading) +
                ReportRow("RAW.PMM     ", "id\t1", "         128", "tab\there\r\nnext\xE9"));
}

}  // namespace
}  // namespace vantrel
