#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vantrel::testing {

// A fresh directory under the temporary folder, removed with everything in it at the end.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::string& path() const { return path_; }
  std::string PathOf(const std::string& name) const { return path_ + "\\" + name; }

  void Write(const std::string& name, const std::string& bytes) const;
  // Sets the file's length without writing the bytes between; no disk space is used.
  void Extend(const std::string& name, std::uint64_t length) const;
  void MakeDirectory(const std::string& name) const;
  void SetAttributes(const std::string& name, DWORD attributes) const;

 private:
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
  std::string previous_;
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
