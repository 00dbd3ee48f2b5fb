#pragma once

#include <windows.h>

#include "app/error_record.h"
#include "app/scoped_win.h"
#include "app/text.h"
#include "report/file_system.h"
#include "report/folder_report.h"

namespace vantrel {

// A listing handle closed, like every file-system call, through GuardedCall.
struct GuardedSearchTraits : SearchHandleTraits {
  static void Close(Handle search);
};

// The flags names are converted to `codePage` with: no best fit, so "Ābc.PMM" never
// shows as "Abc.PMM", a name another folder may have. WideCharToMultiByte refuses every flag
// (ERROR_INVALID_FLAGS) for the ISO-2022, ISCII, UTF-7 and Symbol code pages, and every one but
// WC_ERR_INVALID_CHARS for UTF-8 and GB 18030; UTF-8 spells every name anyway.
constexpr DWORD NameConversionFlags(UINT codePage) {
  switch (codePage) {
    case 42:
    case 50220:
    case 50221:
    case 50222:
    case 50225:
    case 50227:
    case 50229:
    case 54936:
    case 65000:
    case 65001:
      return 0;
    default:
      return codePage >= 57002 && codePage <= 57011 ? 0 : WC_NO_BEST_FIT_CHARS;
  }
}

// The folder scan's file system on Win32 calls, each made through GuardedCall. Names are the
// platform's own UTF-16 names: listed with the wide calls and opened under the listed directory
// as "\\?\" paths, so every row reads the file it names.
class Win32FileSystem final : public FileSystem {
 public:
  Win32FileSystem();
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;

  OsError FindFirst(std::wstring_view mask, FindEntry& entry) override;
  OsError FindNext(FindEntry& entry) override;
  void FindClose() override;

  OsError Open(std::wstring_view fileName, OpenedFile& file) override;
  OsError Size(FileId file, std::uint64_t& size) override;
  OsError ReadAt(FileId file, std::uint64_t offset, std::span<unsigned char> buffer,
                 std::size_t& bytesRead) override;
  void Close(FileId file) override;

 private:
  // Takes the current directory as the one listed and opened in: at the start of a listing,
  // or at the first open made without one.
  void TakeCurrentDirectory();
  void Fill(FindEntry& entry) const;

  UniqueHandle<GuardedSearchTraits> search_;
  WIN32_FIND_DATAW found_;  // the platform's data of the entry last fetched
  WideText path_;           // "\\?\" + directory + "\", then the name being opened
  std::size_t directorySize_ = 0;
  bool directoryTaken_ = false;
  UINT codePage_;
  DWORD conversionFlags_;
};

// Where the characters of the ANSI code page end, the code page in which names and header
// texts are shown: UTF-8 where the system uses it as its ANSI code page, else the lead bytes.
AnsiCharacters AnsiCodePageCharacters();

// The report of the current directory, read through the Win32 file system.
FolderReport BuildFolderReport(ErrorRecord& errors);

}  // namespace vantrel
