#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report/file_system.h"

namespace vantrel {

struct FakeFile {
  std::string name;                      // as the name column shows it
  std::optional<std::wstring> fileName;  // the true name; the shown bytes widened if unset
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

  std::vector<std::wstring> opened;
  std::function<void(std::wstring_view)> onOpen;  // called before each open
  int findCloses = 0;
  int filesOpen = 0;

  OsError FindFirst(std::wstring_view mask, FindEntry& entry) override {
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

  OsError Open(std::wstring_view name, OpenedFile& file) override {
    opened.emplace_back(name);
    if (onOpen) onOpen(name);
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

  std::wstring lastMask;

 private:
  static std::wstring FileNameOf(const FakeFile& file) {
    return file.fileName.value_or(std::wstring(file.name.begin(), file.name.end()));
  }

  OsError Deliver(FindEntry& entry) {
    const FakeFile& file = files[next++];
    const std::wstring fileName = FileNameOf(file);
    entry.fileName.fill(L'\0');
    std::copy_n(fileName.begin(), std::min(fileName.size(), kNameUnits - 1),
                entry.fileName.begin());
    entry.shownNameSize = std::min(file.name.size(), kShownNameBytes);
    std::copy_n(file.name.begin(), entry.shownNameSize, entry.shownName.begin());
    entry.attributes = file.attributes;
    entry.size = file.listedSize.value_or(file.content.size());
    return kErrorNone;
  }

  const FakeFile* Find(std::wstring_view name) const {
    for (const auto& file : files) {
      if (FileNameOf(file) == name) return &file;
    }
    return nullptr;
  }

  bool searchOpen = false;
  std::size_t next = 0;
};

}  // namespace vantrel
