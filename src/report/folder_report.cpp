#include "report/folder_report.h"

#include <algorithm>

#include "report/fields.h"
#include "report/folder_header.h"

namespace vantrel {
namespace {

bool IsSkipped(const FindEntry& entry) {
  constexpr std::uint32_t kUnlisted = kAttributeHidden | kAttributeSystem | kAttributeDirectory;
  return (entry.attributes & kUnlisted) != 0 || entry.FileName() == L"." ||
         entry.FileName() == L"..";
}

// The directory listing, one accepted entry at a time, fetched into the caller's entry. A
// failure at any point, the normal end included, closes the listing quietly: the rows read so
// far stand.
class DirectoryQuery {
 public:
  DirectoryQuery(FileSystem& fileSystem, ErrorRecord& errors)
      : fileSystem_(fileSystem), errors_(errors) {}
  ~DirectoryQuery() {
    if (open_) fileSystem_.FindClose();
  }
  DirectoryQuery(const DirectoryQuery&) = delete;
  DirectoryQuery& operator=(const DirectoryQuery&) = delete;

  bool First(std::wstring_view mask, FindEntry& entry) {
    errors_.Clear();
    const OsError error = fileSystem_.FindFirst(mask, entry);
    if (error != kErrorNone) {
      errors_.Note(error);
      return false;
    }
    open_ = true;
    return SkipUnlisted(entry);
  }

  bool Next(FindEntry& entry) {
    if (!open_) return false;
    errors_.Clear();
    return Fetch(entry) && SkipUnlisted(entry);
  }

 private:
  bool SkipUnlisted(FindEntry& entry) {
    while (IsSkipped(entry)) {
      if (!Fetch(entry)) return false;
    }
    return true;
  }

  bool Fetch(FindEntry& entry) {
    const OsError error = fileSystem_.FindNext(entry);
    if (error == kErrorNone) return true;
    errors_.Note(error);
    fileSystem_.FindClose();
    open_ = false;
    return false;
  }

  FileSystem& fileSystem_;
  ErrorRecord& errors_;
  bool open_ = false;
};

// A folder file held open for one row; closed on every path out of the row's reading.
class OpenFolderFile {
 public:
  OpenFolderFile(FileSystem& fileSystem, std::wstring_view fileName) : fileSystem_(fileSystem) {
    error_ = fileSystem_.Open(fileName, file_);
  }
  ~OpenFolderFile() {
    if (error_ == kErrorNone) fileSystem_.Close(file_.id);
  }
  OpenFolderFile(const OpenFolderFile&) = delete;
  OpenFolderFile& operator=(const OpenFolderFile&) = delete;

  OsError error() const { return error_; }
  const OpenedFile& file() const { return file_; }

 private:
  FileSystem& fileSystem_;
  OpenedFile file_;
  OsError error_ = kErrorNone;
};

bool HasWildcard(std::wstring_view fileName) {
  return fileName.find_first_of(L"*?") != std::wstring_view::npos;
}

// Reads size and header of one folder; on success the row's texts are views of `header`. On
// failure the row keeps the listing's size and no texts: it never shows bytes of another
// folder.
OsError ReadFolder(FileSystem& fileSystem, std::wstring_view fileName, FolderHeader& header,
                   FolderRow& row, ErrorRecord& errors) {
  // The platform would treat these as a pattern, not as this file. A listed name never holds
  // them; the "?" of a name the code page cannot spell is only in the name column.
  if (HasWildcard(fileName)) return kErrorInvalidName;

  const OpenFolderFile folder(fileSystem, fileName);
  if (folder.error() != kErrorNone) return folder.error();
  if (!folder.file().isDiskFile) return kErrorBadFileType;

  std::uint64_t size = 0;
  const OsError sizeError = fileSystem.Size(folder.file().id, size);
  if (sizeError == kErrorNone) {
    row.size = size;
  } else {
    errors.Note(sizeError);
  }

  std::size_t bytesRead = 0;
  const OsError readError = fileSystem.ReadAt(folder.file().id, 0, header.bytes, bytesRead);
  if (readError != kErrorNone) return readError;
  // A short file: what lies past its end reads as 0, whatever the read left in the buffer.
  std::fill(
      header.bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytesRead, kFolderHeaderSize)),
      header.bytes.end(), 0);

  row.identifier = FolderIdentifier(header);
  row.friendlyName = FriendlyName(header);
  return kErrorNone;
}

}  // namespace

Text FormatSizeColumn(std::uint64_t size, ErrorRecord& errors) {
  // Folder files never come near 2^63 bytes, so the signed conversion is exact.
  Text digits = FormatGrouped(static_cast<std::int64_t>(size), errors);
  if (digits.size() > kColumnWidth) return digits;
  return FieldRight(digits.view(), kColumnWidth, errors);
}

void AppendFolderRow(FolderReport& report, const FolderRow& row, ErrorRecord& errors,
                     const AnsiCharacters& characters) {
  constexpr std::size_t kWhole = static_cast<std::size_t>(-1);
  // The mark stands for at least one byte of the name, so whole and mark fit the column.
  const ShownText nameShown = ShownColumn(row.name, kColumnWidth, characters);
  char nameBytes[kColumnWidth];
  char* const markAt = std::copy(nameShown.whole.begin(), nameShown.whole.end(), nameBytes);
  std::copy(nameShown.mark.begin(), nameShown.mark.end(), markAt);
  const Text name =
      FieldLeft({nameBytes, nameShown.whole.size() + nameShown.mark.size()}, kColumnWidth, errors);
  const Text size = FormatSizeColumn(row.size, errors);
  const ShownText identifier = ShownColumn(row.identifier, kWhole, characters);
  const ShownText friendlyName = ShownColumn(row.friendlyName, kWhole, characters);
  const std::string_view pieces[] = {
      name.view(), "\t", identifier.whole,   identifier.mark,   "\t",
      size.view(), "\t", friendlyName.whole, friendlyName.mark, "\r\n"};
  std::size_t length = 0;
  for (const std::string_view piece : pieces) length += piece.size();
  // Room for the whole line first, so running out of memory never leaves half of it.
  if (!report.MakeRoom(length)) {
    errors.Note(kErrorTextStorage);
    return;
  }
  for (const std::string_view piece : pieces) report.Append(piece);
}

std::string_view UnreadableNote(OsError error) {
  switch (error) {
    case kErrorSharingViolation:
    case kErrorLockViolation:
      return "(could not be read: in use by another program)";
    case kErrorAccessDenied:
      return "(could not be read: access denied)";
    case kErrorInvalidName:
      return "(could not be read: invalid name)";
    case kErrorFileNotFound:
    case kErrorPathNotFound:
      return "(could not be read: no longer there)";
    case kErrorBadFileType:
      return "(could not be read: not a disk file)";
    default:
      return "(could not be read)";
  }
}

FolderReport BuildFolderReport(FileSystem& fileSystem, ErrorRecord& errors,
                               const AnsiCharacters& characters) {
  FolderReport report;
  if (!report.Append(kReportHeading)) errors.Note(kErrorTextStorage);
  DirectoryQuery query(fileSystem, errors);
  FindEntry entry;
  for (bool listed = query.First(kFolderMask, entry); listed; listed = query.Next(entry)) {
    FolderHeader header;
    FolderRow row{.name = entry.ShownName(), .size = entry.size};
    if ((entry.attributes & kOnlineOnlyAttributes) != 0) {
      row.friendlyName = kOnlineOnlyNote;
    } else if (const OsError failure =
                   ReadFolder(fileSystem, entry.FileName(), header, row, errors)) {
      errors.Note(failure);
      row.friendlyName = UnreadableNote(failure);
    }
    AppendFolderRow(report, row, errors, characters);
  }
  return report;
}

}  // namespace vantrel
