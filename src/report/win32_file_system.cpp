#include "report/win32_file_system.h"

#include <algorithm>
#include <limits>

#include "report/guarded_call.h"
#include "report/long_path.h"

namespace vantrel {
namespace {

static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(kErrorNoMoreFiles == ERROR_NO_MORE_FILES);
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kErrorLockViolation == ERROR_LOCK_VIOLATION);
static_assert(kErrorInvalidName == ERROR_INVALID_NAME);
static_assert(kErrorBadFileType == ERROR_BAD_FILE_TYPE);
static_assert(kAttributeHidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(kAttributeSystem == FILE_ATTRIBUTE_SYSTEM);
static_assert(kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kAttributeOffline == FILE_ATTRIBUTE_OFFLINE);
static_assert(kNameUnits == MAX_PATH);

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

void GuardedSearchTraits::Close(Handle search) {
  GuardedCall(&::FindClose, search);
}

Win32FileSystem::Win32FileSystem()
    : codePage_(GetACP()), conversionFlags_(NameConversionFlags(codePage_)) {}

void Win32FileSystem::TakeCurrentDirectory() {
  directoryTaken_ = true;
  directorySize_ = 0;
  path_.Truncate(0);
  const auto needed = GuardedCall(&::GetCurrentDirectoryW, DWORD{0}, LPWSTR{nullptr});
  WideText directory;
  if (needed.value == 0 || !directory.Append(needed.value, L'\0')) return;
  const auto taken = GuardedCall(&::GetCurrentDirectoryW, needed.value, directory.data());
  // A directory that grew between the two calls is not taken: names are then opened bare.
  if (taken.value == 0 || taken.value >= needed.value) return;
  directory.Truncate(taken.value);
  if (LongPathDirectory(directory.view(), path_)) directorySize_ = path_.size();
}

void Win32FileSystem::Fill(FindEntry& entry) const {
  const auto units = static_cast<std::size_t>(
      std::find(std::begin(found_.cFileName), std::end(found_.cFileName) - 1, L'\0') -
      std::begin(found_.cFileName));
  std::copy_n(found_.cFileName, units, entry.fileName.begin());
  entry.fileName[units] = L'\0';

  const int bytes =
      WideCharToMultiByte(codePage_, conversionFlags_, found_.cFileName, static_cast<int>(units),
                          entry.shownName.data(), static_cast<int>(entry.shownName.size()),
                          conversionFlags_ != 0 ? "?" : nullptr, nullptr);
  entry.shownNameSize = static_cast<std::size_t>(std::max(bytes, 0));
  entry.attributes = found_.dwFileAttributes;
  entry.size = (std::uint64_t{found_.nFileSizeHigh} << 32) | found_.nFileSizeLow;
}

OsError Win32FileSystem::FindFirst(std::wstring_view mask, FindEntry& entry) {
  FindClose();
  TakeCurrentDirectory();
  WideText terminated;
  if (!terminated.Append(mask)) return kErrorNotEnoughMemory;
  const auto result = GuardedCall(&::FindFirstFileW, terminated.c_str(), &found_);
  if (const OsError error = HandleFailure(result)) return error;
  search_.reset(result.value);
  Fill(entry);
  return kErrorNone;
}

OsError Win32FileSystem::FindNext(FindEntry& entry) {
  if (!search_.valid()) return ERROR_INVALID_HANDLE;
  const auto result = GuardedCall(&::FindNextFileW, search_.get(), &found_);
  if (result.failed()) return result.lastError;
  Fill(entry);
  return kErrorNone;
}

void Win32FileSystem::FindClose() {
  search_.reset();
}

OsError Win32FileSystem::Open(std::wstring_view fileName, OpenedFile& file) {
  if (!directoryTaken_) TakeCurrentDirectory();
  path_.Truncate(directorySize_);
  if (!path_.Append(fileName)) return kErrorNotEnoughMemory;
  // Read-only and fully shared: the mail client may have its folder open, and must be able to
  // write, rename or delete it while we look. OPEN_EXISTING, so a folder deleted meanwhile is
  // not created anew.
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto opened = GuardedCall(&::CreateFileW, path_.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &security,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, HANDLE{nullptr});
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

AnsiCharacters AnsiCodePageCharacters() {
  // IsDBCSLeadByte knows no lead bytes in UTF-8.
  if (GetACP() == CP_UTF8) return AnsiCharacters::Utf8();
  std::array<bool, 256> leadBytes;
  for (std::size_t byte = 0; byte < leadBytes.size(); ++byte) {
    leadBytes[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
  }
  return AnsiCharacters::DoubleByte(leadBytes);
}

FolderReport BuildFolderReport(ErrorRecord& errors) {
  Win32FileSystem fileSystem;
  return BuildFolderReport(fileSystem, errors, AnsiCodePageCharacters());
}

}  // namespace vantrel
