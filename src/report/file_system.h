#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vantrel {

// Platform error numbers (Win32 values); 0 means success.
using OsError = std::uint32_t;

inline constexpr OsError kErrorNone = 0;
inline constexpr OsError kErrorFileNotFound = 2;
inline constexpr OsError kErrorPathNotFound = 3;
inline constexpr OsError kErrorAccessDenied = 5;
inline constexpr OsError kErrorInvalidHandle = 6;
inline constexpr OsError kErrorNoMoreFiles = 18;
inline constexpr OsError kErrorSharingViolation = 32;
inline constexpr OsError kErrorLockViolation = 33;
inline constexpr OsError kErrorInvalidName = 123;
inline constexpr OsError kErrorBadFileType = 222;

inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;

// One entry of a directory listing, as the platform's search reports it.
struct FindEntry {
  std::string name;  // long name, no directory part
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
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
  virtual ~FileSystem() = default;

  // Starts a listing of the current directory, closing one still open.
  virtual OsError FindFirst(const std::string& mask, FindEntry& entry) = 0;
  virtual OsError FindNext(FindEntry& entry) = 0;
  virtual void FindClose() = 0;

  // Opens for reading only, letting other programs read and write the file meanwhile; never
  // creates a file.
  virtual OsError Open(const std::string& name, OpenedFile& file) = 0;
  virtual OsError Size(FileId file, std::uint64_t& size) = 0;
  virtual OsError ReadAt(FileId file, std::uint64_t offset, std::span<unsigned char> buffer,
                         std::size_t& bytesRead) = 0;
  virtual void Close(FileId file) = 0;
};

}  // namespace vantrel
