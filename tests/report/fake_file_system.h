#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report/file_system.h"

namespace vantrel {

struct FakeFile {
  std::string name;
  std::string content;
  std::uint32_t attributes = 0;
  std::optional<std::uint64_t> listedSize;  // what the listing says; the content's size if unset
  OsError openError = kErrorNone;
  OsError sizeError = kErrorNone;
  OsError readError = kErrorNone;
  bool diskFile = true;
};

// A scripted directory for faults no real file produces, recording what the scan asked for.
class FakeFileSystem final : public FileSystem {
 public:
  std::vector<FakeFile> files;
  OsError findFirstError = kErrorNone;
  std::optional<std::size_t> listingFailsAt;  // FindNext fails instead of returning this index
  OsError listingError = 59;                  // ERROR_UNEXP_NET_ERR

  std::vector<std::string> opened;
  int findCloses = 0;
  int filesOpen = 0;

  OsError FindFirst(const std::string& mask, FindEntry& entry) override {
    lastMask = mask;
    if (searchOpen) FindClose();
    if (findFirstError != kErrorNone) return findFirstError;
    if (files.empty()) return kErrorFileNotFound;
    searchOpen = true;
    next = 0;
    return Deliver(entry);
  }

  OsError FindNext(FindEntry& entry) override {
    if (!searchOpen) return kErrorInvalidHandle;
    if (listingFailsAt == next) return listingError;
    if (next == files.size()) return kErrorNoMoreFiles;
    return Deliver(entry);
  }

  void FindClose() override {
    ++findCloses;
    searchOpen = false;
  }

  OsError Open(const std::string& name, OpenedFile& file) override {
    opened.push_back(name);
    const FakeFile* found = Find(name);
    if (found == nullptr) return kErrorFileNotFound;
    if (found->openError != kErrorNone) return found->openError;
    ++filesOpen;
    file.id = static_cast<FileId>(found - files.data()) + 1;
    file.isDiskFile = found->diskFile;
    return kErrorNone;
  }

  OsError Size(FileId id, std::uint64_t& size) override {
    const FakeFile& file = files.at(id - 1);
    if (file.sizeError != kErrorNone) return file.sizeError;
    size = file.content.size();
    return kErrorNone;
  }

  OsError ReadAt(FileId id, std::uint64_t offset, std::span<unsigned char> buffer,
                 std::size_t& bytesRead) override {
    const FakeFile& file = files.at(id - 1);
    // A failing read still scribbles over the buffer, as a real one may.
    std::fill(buffer.begin(), buffer.end(), static_cast<unsigned char>('#'));
    if (file.readError != kErrorNone) return file.readError;
    const std::size_t start =
        static_cast<std::size_t>(std::min<std::uint64_t>(offset, file.content.size()));
    bytesRead = std::min(buffer.size(), file.content.size() - start);
    std::memcpy(buffer.data(), file.content.data() + start, bytesRead);
    return kErrorNone;
  }

  void Close(FileId) override { --filesOpen; }

  std::string lastMask;

 private:
  OsError Deliver(FindEntry& entry) {
    const FakeFile& file = files[next++];
    entry = {file.name, file.attributes, file.listedSize.value_or(file.content.size())};
    return kErrorNone;
  }

  const FakeFile* Find(const std::string& name) const {
    for (const auto& file : files) {
      if (file.name == name) return &file;
    }
    return nullptr;
  }

  bool searchOpen = false;
  std::size_t next = 0;
};

}  // namespace vantrel
