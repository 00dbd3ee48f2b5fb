#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vantrel {

// Platform error numbers (Win32 values); 0 means success.
using OsError = std::uint32_t;

inline constexpr OsError kErrorNone = 0;
inline constexpr OsError kErrorFileNotFound = 2;
inline constexpr OsError kErrorPathNotFound = 3;
inline constexpr OsError kErrorAccessDenied = 5;
inline constexpr OsError kErrorInvalidHandle = 6;
inline constexpr OsError kErrorNotEnoughMemory = 8;
inline constexpr OsError kErrorNoMoreFiles = 18;
inline constexpr OsError kErrorSharingViolation = 32;
inline constexpr OsError kErrorLockViolation = 33;
inline constexpr OsError kErrorInvalidName = 123;
inline constexpr OsError kErrorBadFileType = 222;

inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeOffline = 0x1000;
inline constexpr std::uint32_t kAttributeRecallOnOpen = 0x40000;
inline constexpr std::uint32_t kAttributeRecallOnDataAccess = 0x400000;

// A listed name holds at most this many UTF-16 units with its terminating NUL, as in the
// platform's find data; in the ANSI code page it takes at most three bytes a unit.
inline constexpr std::size_t kNameUnits = 260;
inline constexpr std::size_t kShownNameBytes = 3 * kNameUnits;

// One entry of a directory listing. Fixed storage: fetching an entry never needs memory.
struct FindEntry {
  // The long name exactly as listed, no directory part, NUL-terminated: what Open is given.
  std::array<wchar_t, kNameUnits> fileName{};
  // The same name in the ANSI code page, "?" for what the code page cannot spell (never a
  // look-alike letter), for the report's name column.
  std::array<char, kShownNameBytes> shownName{};
  std::size_t shownNameSize = 0;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;

  std::wstring_view FileName() const { return fileName.data(); }
  std::string_view ShownName() const { return {shownName.data(), shownNameSize}; }
};

using FileId = std::uintptr_t;

struct OpenedFile {
  FileId id = 0;
  bool isDiskFile = true;
};

// What the folder scan needs from the file system. The real implementation wraps Win32 calls;
// tests script failures no real file can produce. Only one listing is open at a time.
class FileSystem {
 public:
  // Starts a listing of the current directory, closing one still open.
  virtual OsError FindFirst(std::wstring_view mask, FindEntry& entry) = 0;
  virtual OsError FindNext(FindEntry& entry) = 0;
  virtual void FindClose() = 0;

  // Opens the listed file of that exact name in the listed directory, for reading only,
  // letting other programs read and write it meanwhile; never creates a file.
  virtual OsError Open(std::wstring_view fileName, OpenedFile& file) = 0;
  virtual OsError Size(FileId file, std::uint64_t& size) = 0;
  virtual OsError ReadAt(FileId file, std::uint64_t offset, std::span<unsigned char> buffer,
                         std::size_t& bytesRead) = 0;
  virtual void Close(FileId file) = 0;

 protected:
  // Never deleted through the interface.
  ~FileSystem() = default;
};

}  // namespace vantrel
