#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/scoped_win.h"

namespace vantrel::testing {

// Names in these helpers are UTF-8, so a test can write any name the platform allows.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// `path` as a "\\?\" path, which the platform takes as it is: no trimming of trailing dots or
// spaces, no device names, no length limit.
std::wstring Verbatim(std::string_view path);

// Calls `attempt` until it succeeds, for up to ten seconds while it fails only in ways another
// process holding the file can cause: a virus scanner or an indexer opens every file just
// written or changed, for a second or more, sharing it with readers only. Any other error ends
// it at once. The last error is the last attempt's.
bool WhileHeld(const std::function<bool()>& attempt);
// Whether another process holding the file can cause `error`; WhileHeld waits out these alone.
bool HolderMayCause(DWORD error);

// The tests' own operations on files and folders they made, each through WhileHeld. Paths are
// taken as given (relative ones too); the file is invalid when it could not be opened.
ScopedFile OpenFile(const std::string& path, DWORD access, DWORD share,
                    DWORD disposition = OPEN_EXISTING);
bool Copy(const std::string& from, const std::string& to);
bool Move(const std::string& from, const std::string& to);
bool Delete(const std::string& path);

// The current directory, and the whole of a file (empty when it cannot be read), in UTF-8.
std::string CurrentDirectory();
std::string ReadWhole(const std::string& path);
// Writes a file afresh; throws when it cannot.
void WriteWhole(const std::string& path, std::string_view bytes);

// A fresh directory under the temporary folder, removed with everything in it at the end.
// Given a length, it is made that deep at least, through nested directories.
class TempDirectory {
 public:
  explicit TempDirectory(std::size_t minimumPathLength = 0);
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::string& path() const { return path_; }
  std::string PathOf(std::string_view name) const { return path_ + "\\" + std::string(name); }

  void Write(std::string_view name, std::string_view bytes) const;
  // Sets the file's length without writing the bytes between, as a sparse file where the file
  // system has them.
  void Extend(std::string_view name, std::uint64_t length) const;
  void MakeDirectory(std::string_view name) const;
  void SetAttributes(std::string_view name, DWORD attributes) const;

 private:
  std::string root_;  // what the destructor removes
  std::string path_;
};

// Makes `path` the current directory for a scope.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& path);
  ~CurrentDirectoryScope();
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

 private:
  std::wstring previous_;
};

// Everything observable about a directory's entries: attributes, length, write time, and the
// bytes of every file up to 1 MiB. Two equal snapshots mean nothing was created, changed or
// removed.
struct EntryState {
  DWORD attributes;
  std::uint64_t size;
  std::uint64_t writeTime;
  std::string content;
  bool operator==(const EntryState&) const = default;
};
std::map<std::string, EntryState> Snapshot(const std::string& directory);

// Writes `count` folder files F0.PMM, F1.PMM, ... ("Folder number N", an identifier, one
// message) into `dir`.
void WriteNumberedFolders(const TempDirectory& dir, int count);

// The names a directory search of `mask` delivers, in the platform's own order.
std::vector<std::string> ListingOrder(const std::string& mask);

}  // namespace vantrel::testing
