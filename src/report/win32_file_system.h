#pragma once

#include "app/error_record.h"
#include "report/file_system.h"
#include "report/folder_report.h"

namespace vantrel {

// The folder scan's file system on Win32 calls, each made through GuardedCall.
class Win32FileSystem final : public FileSystem {
 public:
  Win32FileSystem() = default;
  ~Win32FileSystem() override;
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;

  OsError FindFirst(const std::string& mask, FindEntry& entry) override;
  OsError FindNext(FindEntry& entry) override;
  void FindClose() override;

  OsError Open(const std::string& name, OpenedFile& file) override;
  OsError Size(FileId file, std::uint64_t& size) override;
  OsError ReadAt(FileId file, std::uint64_t offset, std::span<unsigned char> buffer,
                 std::size_t& bytesRead) override;
  void Close(FileId file) override;

 private:
  void* search_ = nullptr;  // HANDLE of the open listing, or null
};

// The report of the current directory, read through the Win32 file system.
FolderReport BuildFolderReport(ErrorRecord& errors);

}  // namespace vantrel
