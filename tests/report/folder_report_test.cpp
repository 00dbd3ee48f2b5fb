#include "report/folder_report.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

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

// A column cut or ended inside a character shows one "?" for the bytes of it that it holds;
// otherwise the control would take the TAB or CR after a lone lead byte as its second byte, or
// show a cut UTF-8 sequence as a replacement character and the name column as 14 bytes.
TEST(FolderReportTest, ColumnsNeverEndInsideACharacter) {
  const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in code page 932
  // No NUL after offset 86: the identifier is cut at offset 127, inside the 21st character.
  std::string identifierCut = FolderFileHeader("Cut", "");
  for (std::size_t at = 86; at < 128; at += nihongo.size()) identifierCut.replace(at, 6, nihongo);
  // The same in UTF-8: 41 bytes are 13 characters of 3 bytes and 2 bytes of the 14th.
  std::string utf8IdentifierCut = FolderFileHeader("Cut", "");
  for (std::size_t at = 86; at < 128; at += 3) utf8IdentifierCut.replace(at, 3, "\xE6\x97\xA5");
  const std::string day = "\xE6\x97\xA5";  // 日 in UTF-8
  const struct {
    const char* what;
    AnsiCharacters characters;
    FakeFile file;
    std::string row;
    std::string rowSingleByte;
  } cases[] = {
      {"932: name cut at 12 bytes inside a character",
       ShiftJis(),
       {.name = "a" + nihongo + nihongo + ".PMM", .content = FolderFileHeader("n", "i")},
       ReportRow("a\x93\xFA\x96\x7B\x8C\xEA\x93\xFA\x96\x7B?", "i", "         128", "n"),
       ReportRow("a\x93\xFA\x96\x7B\x8C\xEA\x93\xFA\x96\x7B\x8C", "i", "         128", "n")},
      {"932: identifier cut at 41 bytes inside a character",
       ShiftJis(),
       {.name = "ID.PMM", .content = identifierCut},
       ReportRow("ID.PMM      ", identifierCut.substr(86, 40) + "?", "         128", "Cut"),
       ReportRow("ID.PMM      ", identifierCut.substr(86, 41), "         128", "Cut")},
      {"932: texts ending in a lone lead byte, or in a trail byte that looks like one",
       ShiftJis(),
       {.name = "END.PMM", .content = FolderFileHeader("Name\x81", "\x81\x81")},
       ReportRow("END.PMM     ", "\x81\x81", "         128", "Name?"),
       ReportRow("END.PMM     ", "\x81\x81", "         128", "Name\x81")},
      {"932: a character whose trail byte looks like a lead byte, then a lone lead byte",
       ShiftJis(),
       {.name = "TRAIL.PMM", .content = FolderFileHeader("\x93\xFA\x81", "\x93\xFA\x81")},
       ReportRow("TRAIL.PMM   ", "\x93\xFA?", "         128", "\x93\xFA?"),
       ReportRow("TRAIL.PMM   ", "\x93\xFA\x81", "         128", "\x93\xFA\x81")},
      {"UTF-8: name cut inside a character of 2 bytes",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghijk\xC3\xA9.PMM", .content = FolderFileHeader("n", "i")},
       ReportRow("abcdefghijk?", "i", "         128", "n"),
       ReportRow("abcdefghijk\xC3", "i", "         128", "n")},
      {"UTF-8: name cut inside a character of 3 bytes",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghij" + day + ".PMM", .content = FolderFileHeader("n", "i")},
       ReportRow("abcdefghij? ", "i", "         128", "n"),
       ReportRow("abcdefghij\xE6\x97", "i", "         128", "n")},
      {"UTF-8: name cut inside a character of 4 bytes",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghi\xF0\x9F\x98\x80.PMM", .content = FolderFileHeader("n", "i")},
       ReportRow("abcdefghi?  ", "i", "         128", "n"),
       ReportRow("abcdefghi\xF0\x9F\x98", "i", "         128", "n")},
      {"UTF-8: name whose last character ends at 12 bytes",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghi" + day + ".PMM", .content = FolderFileHeader("n", "i")},
       ReportRow("abcdefghi" + day, "i", "         128", "n"),
       ReportRow("abcdefghi" + day, "i", "         128", "n")},
      {"UTF-8: identifier cut at 41 bytes inside a character",
       AnsiCharacters::Utf8(),
       {.name = "ID.PMM", .content = utf8IdentifierCut},
       ReportRow("ID.PMM      ", utf8IdentifierCut.substr(86, 39) + "?", "         128", "Cut"),
       ReportRow("ID.PMM      ", utf8IdentifierCut.substr(86, 41), "         128", "Cut")},
      {"UTF-8: texts ending in a cut character, a stray byte, a sequence cut short",
       AnsiCharacters::Utf8(),
       {.name = "END.PMM", .content = FolderFileHeader("Name\xF0\x9F\x98", "x\x80 \xE6Z")},
       ReportRow("END.PMM     ", "x\x80 \xE6Z", "         128", "Name?"),
       ReportRow("END.PMM     ", "x\x80 \xE6Z", "         128", "Name\xF0\x9F\x98")},
      {"UTF-8: 0xC0 and 0xC1 start nothing, whatever follows",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghijk\xC1\x80.PMM", .content = FolderFileHeader("Name\xC0", "i")},
       ReportRow("abcdefghijk\xC1", "i", "         128", "Name\xC0"),
       ReportRow("abcdefghijk\xC1", "i", "         128", "Name\xC0")},
      {"UTF-8: 0xF5 to 0xFF start nothing, whatever follows",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghijk\xF5\x80\x80\x80.PMM", .content = FolderFileHeader("Name\xFF", "i")},
       ReportRow("abcdefghijk\xF5", "i", "         128", "Name\xFF"),
       ReportRow("abcdefghijk\xF5", "i", "         128", "Name\xFF")},
      {"UTF-8: a stray continuation byte starts nothing, whatever follows",
       AnsiCharacters::Utf8(),
       {.name = "abcdefghi\xC3\xA9\x80\x80.PMM", .content = FolderFileHeader("Name\xBF", "i")},
       ReportRow("abcdefghi\xC3\xA9\x80", "i", "         128", "Name\xBF"),
       ReportRow("abcdefghi\xC3\xA9\x80", "i", "         128", "Name\xBF")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fileSystem;
    fileSystem.files = {c.file};
    ErrorRecord errors;
    EXPECT_EQ(std::string(BuildFolderReport(fileSystem, errors, c.characters).view()),
              std::string(kReportHeading) + c.row);
    EXPECT_EQ(Scan(fileSystem), std::string(kReportHeading) + c.rowSingleByte);
  }
}

// The report reaches the control in pieces of the size it asks for, each converted on its own.
// Every size from 1 byte up: pieces end between characters, and a character longer than the
// request is handed over as "?" rather than split.
TEST(FolderReportTest, ReportPiecesEndBetweenCharacters) {
  const struct {
    const char* what;
    AnsiCharacters characters;
    std::vector<std::string> alphabet;
  } cases[] = {
      {"932", ShiftJis(), {"a", "\x93\xFA", "\x81\x81", "\t", "\x8C\xEA", "\xE0\x40", "\r", "\n"}},
      {"UTF-8",
       AnsiCharacters::Utf8(),
       {"a", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x98\x80", "\t", "\x80", "\xE6", "\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < 400; ++i) {
      const std::string& next = c.alphabet[i * 7 % 11 % 8];
      // A continuation byte after a sequence cut short would belong to it.
      const bool joins = !characters.empty() && characters.back() == "\xE6" && next == "\x80";
      characters.push_back(joins ? "a" : next);
    }
    std::string text;
    std::vector<bool> between(1, true);
    for (const std::string& character : characters) {
      text += character;
      between.resize(text.size() + 1, false);
      between[text.size()] = true;
    }
    for (std::size_t wanted = 1; wanted <= 300; ++wanted) {
      SCOPED_TRACE(wanted);
      std::string expected;
      for (const std::string& character : characters) {
        expected += character.size() <= wanted ? character : "?";
      }
      std::string given;
      std::size_t at = 0;
      while (at < text.size()) {
        const ReportPiece piece =
            NextReportPiece(std::string_view(text).substr(at), wanted, c.characters);
        ASSERT_FALSE(piece.bytes.empty());
        ASSERT_LE(piece.bytes.size(), wanted);
        at += piece.consumed;
        ASSERT_LE(at, text.size());
        ASSERT_TRUE(between[at]) << "piece ends inside a character at " << at;
        given += piece.bytes;
      }
      EXPECT_EQ(given, expected);
      EXPECT_EQ(NextReportPiece({}, wanted, c.characters).consumed, 0u);
    }
    EXPECT_TRUE(NextReportPiece(text, 0, c.characters).bytes.empty());
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
