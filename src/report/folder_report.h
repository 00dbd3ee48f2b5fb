#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/error_record.h"
#include "app/text.h"
#include "report/ansi_characters.h"
#include "report/file_system.h"

namespace vantrel {

// The report text: the heading line, then one line per folder file, each ended by CR LF.
using FolderReport = Text;

inline constexpr std::wstring_view kFolderMask = L"*.PMM";
inline constexpr std::size_t kColumnWidth = 12;
inline constexpr std::string_view kReportHeading =
    "Foldername  \tIdentifier            \t        Size\tFriendly Name\r\n";
static_assert(kReportHeading.size() == 64);

// One report line before it is laid out: views of the listing's name and of the header.
struct FolderRow {
  std::string_view name;
  std::string_view identifier;
  std::uint64_t size = 0;
  std::string_view friendlyName;
};

// The size column: grouped digits right-aligned in 12 bytes, or the whole text when it is
// longer, so a size is never shown cut.
Text FormatSizeColumn(std::uint64_t size, ErrorRecord& errors);

// Appends the row's line whole, or, when the report cannot grow, nothing. A column whose text
// could not be stored is empty. Where a column ends inside a character of the code page (a name
// cut at 12 bytes, a header text cut or ended inside one), the bytes of that character it holds
// show as one "?", so the TAB or line end after them stays a separator and nothing turns into a
// replacement character.
void AppendFolderRow(FolderReport& report, const FolderRow& row, ErrorRecord& errors,
                     const AnsiCharacters& characters = {});

// The friendly-name column of a folder that could not be read, saying why where it can.
std::string_view UnreadableNote(OsError error);

// Folders whose data lives in the cloud or on remote storage: reading a byte of one would make
// the platform fetch the whole file, so they are listed but never opened.
inline constexpr std::uint32_t kOnlineOnlyAttributes =
    kAttributeOffline | kAttributeRecallOnOpen | kAttributeRecallOnDataAccess;
inline constexpr std::string_view kOnlineOnlyNote = "(not read: online only)";

// Lists the "*.PMM" files of the current directory in the platform's order and reads each
// one's header. Never writes to a folder; failures end up in the rows and in `errors`.
// `characters` says where the characters of the names' and header texts' code page end.
FolderReport BuildFolderReport(FileSystem& fileSystem, ErrorRecord& errors,
                               const AnsiCharacters& characters = {});

}  // namespace vantrel
