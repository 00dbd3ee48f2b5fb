#include "report/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "report/guarded_call.h"

namespace vantrel {
namespace {

static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kErrorNoMoreFiles == ERROR_NO_MORE_FILES);
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kErrorLockViolation == ERROR_LOCK_VIOLATION);
static_assert(kErrorInvalidName == ERROR_INVALID_NAME);
static_assert(kErrorBadFileType == ERROR_BAD_FILE_TYPE);
static_assert(kAttributeHidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(kAttributeSystem == FILE_ATTRIBUTE_SYSTEM);
static_assert(kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);

FindEntry ToEntry(const WIN32_FIND_DATAA& data) {
  return {data.cFileName, data.dwFileAttributes,
          (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
}

HANDLE ToHandle(FileId file) {
  return reinterpret_cast<HANDLE>(file);
}

// A handle-returning call failed when it returned the invalid handle; the last-error value
// then says why (and is never 0, so the failure cannot pass for success).
OsError HandleFailure(const GuardedResult<HANDLE>& result) {
  if (result.value != INVALID_HANDLE_VALUE) return kErrorNone;
  return result.lastError != 0 ? result.lastError : ERROR_INVALID_HANDLE;
}

}  // namespace

Win32FileSystem::~Win32FileSystem() {
  FindClose();
}

OsError Win32FileSystem::FindFirst(const std::string& mask, FindEntry& entry) {
  FindClose();
  WIN32_FIND_DATAA data;
  const auto result = GuardedCall(&::FindFirstFileA, mask.c_str(), &data);
  if (const OsError error = HandleFailure(result)) return error;
  search_ = result.value;
  entry = ToEntry(data);
  return kErrorNone;
}

OsError Win32FileSystem::FindNext(FindEntry& entry) {
  if (search_ == nullptr) return ERROR_INVALID_HANDLE;
  WIN32_FIND_DATAA data;
  const auto result = GuardedCall(&::FindNextFileA, static_cast<HANDLE>(search_), &data);
  if (result.failed()) return result.lastError;
  entry = ToEntry(data);
  return kErrorNone;
}

void Win32FileSystem::FindClose() {
  if (search_ == nullptr) return;
  GuardedCall(&::FindClose, static_cast<HANDLE>(search_));
  search_ = nullptr;
}

OsError Win32FileSystem::Open(const std::string& name, OpenedFile& file) {
  // Read-only and shared: the mail client may have its folder open, and must be able to open
  // it while we look. OPEN_EXISTING, so a folder deleted meanwhile is not created anew.
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto opened =
      GuardedCall(&::CreateFileA, name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &security, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, HANDLE{nullptr});
  if (const OsError error = HandleFailure(opened)) return error;

  const auto type = GuardedCall(&::GetFileType, opened.value);
  file.id = reinterpret_cast<FileId>(opened.value);
  file.isDiskFile = !type.failed() && type.value == FILE_TYPE_DISK;
  return kErrorNone;
}

OsError Win32FileSystem::Size(FileId file, std::uint64_t& size) {
  DWORD high = 0;
  const auto low = GuardedCall(&::GetFileSize, ToHandle(file), &high);
  if (low.failed()) return low.lastError;
  size = (std::uint64_t{high} << 32) | low.value;
  return kErrorNone;
}

OsError Win32FileSystem::ReadAt(FileId file, std::uint64_t offset, std::span<unsigned char> buffer,
                                std::size_t& bytesRead) {
  bytesRead = 0;
  LONG high = static_cast<LONG>(offset >> 32);
  const auto moved = GuardedCall(&::SetFilePointer, ToHandle(file),
                                 static_cast<LONG>(offset & 0xFFFFFFFFu), &high, DWORD{FILE_BEGIN});
  if (moved.failed()) return moved.lastError;

  const DWORD wanted =
      static_cast<DWORD>(std::min<std::size_t>(buffer.size(), std::numeric_limits<DWORD>::max()));
  DWORD read = 0;
  const auto result = GuardedCall(&::ReadFile, ToHandle(file), static_cast<void*>(buffer.data()),
                                  wanted, &read, static_cast<OVERLAPPED*>(nullptr));
  if (result.failed()) return result.lastError;
  bytesRead = read;
  return kErrorNone;
}

void Win32FileSystem::Close(FileId file) {
  GuardedCall(&::CloseHandle, ToHandle(file));
}

FolderReport BuildFolderReport(ErrorRecord& errors) {
  Win32FileSystem fileSystem;
  return BuildFolderReport(fileSystem, errors);
}

}  // namespace vantrel
