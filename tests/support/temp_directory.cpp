#include "support/temp_directory.h"

#include <stdexcept>

#include "support/folder_text.h"

namespace vantrel::testing {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

HANDLE OpenForWriting(const std::string& path, DWORD disposition) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("opening " + path);
  return file;
}

}  // namespace

TempDirectory::TempDirectory() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::string(base) + "vantrel-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("creating " + path_);
  }
}

TempDirectory::~TempDirectory() {
  RemoveTree(path_);
}

void TempDirectory::Write(const std::string& name, const std::string& bytes) const {
  const HANDLE file = OpenForWriting(PathOf(name), CREATE_ALWAYS);
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) Fail("writing " + name);
}

void TempDirectory::Extend(const std::string& name, std::uint64_t length) const {
  const HANDLE file = OpenForWriting(PathOf(name), OPEN_ALWAYS);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(length);
  const BOOL ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (!ok) Fail("extending " + name);
}

void TempDirectory::MakeDirectory(const std::string& name) const {
  if (!CreateDirectoryA(PathOf(name).c_str(), nullptr)) Fail("creating directory " + name);
}

void TempDirectory::SetAttributes(const std::string& name, DWORD attributes) const {
  if (!SetFileAttributesA(PathOf(name).c_str(), attributes)) Fail("setting attributes of " + name);
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& path) {
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  previous_ = previous;
  if (!SetCurrentDirectoryA(path.c_str())) Fail("changing to " + path);
}

CurrentDirectoryScope::~CurrentDirectoryScope() {
  SetCurrentDirectoryA(previous_.c_str());
}

std::map<std::string, EntryState> Snapshot(const std::string& directory) {
  constexpr std::uint64_t kContentLimit = 1 << 20;
  std::map<std::string, EntryState> entries;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    EntryState& entry = entries[data.cFileName];
    entry.attributes = data.dwFileAttributes;
    entry.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    entry.writeTime = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    if (entry.size > kContentLimit || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::string path = directory + "\\" + data.cFileName;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      entry.content = "<unreadable " + std::to_string(GetLastError()) + ">";
      continue;
    }
    entry.content.resize(static_cast<std::size_t>(entry.size));
    DWORD read = 0;
    ReadFile(file, entry.content.data(), static_cast<DWORD>(entry.size), &read, nullptr);
    entry.content.resize(read);
    CloseHandle(file);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return entries;
}

void WriteNumberedFolders(const TempDirectory& dir, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string number = std::to_string(i);
    const std::string header = FolderFileHeader(std::string("Folder number ").append(number),
                                                std::string("6047572E:6F49:FOL").append(number));
    dir.Write(std::string("F").append(number).append(".PMM"), header + "Message body\r\n\x1A");
  }
}

std::vector<std::string> ListingOrder(const std::string& mask) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(mask.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

}  // namespace vantrel::testing
