#include "support/temp_directory.h"

#include <winioctl.h>

#include <stdexcept>

#include "app/scoped_win.h"
#include "support/folder_text.h"

namespace vantrel::testing {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

// Every entry of a directory but "." and "..", with its find data.
template <typename Visit>
void ForEachEntry(const std::wstring& directory, Visit visit) {
  WIN32_FIND_DATAW data;
  const ScopedSearch search(FindFirstFileW((directory + L"\\*").c_str(), &data));
  if (!search.valid()) return;
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") visit(data);
  } while (FindNextFileW(search.get(), &data));
}

void RemoveTree(const std::wstring& path) {
  ForEachEntry(path, [&](const WIN32_FIND_DATAW& data) {
    const std::wstring child = path + L"\\" + data.cFileName;
    // Only where it stops the deletion: a changed file is scanned again.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
      WhileHeld([&] { return SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE; });
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(child);
    } else {
      WhileHeld([&] { return DeleteFileW(child.c_str()) != FALSE; });
    }
  });
  // A file deleted while a scanner still has it open stays in the directory until it is closed.
  WhileHeld([&] { return RemoveDirectoryW(path.c_str()) != FALSE; });
}

ScopedFile OpenVerbatim(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  return OpenFile(Utf8(Verbatim(path)), access, share, disposition);
}

ScopedFile OpenForWriting(const std::string& path, DWORD disposition) {
  ScopedFile file =
      OpenVerbatim(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, disposition);
  if (!file.valid()) Fail("opening " + path);
  return file;
}

// A directory created where a deleted one may still be held open (access denied).
bool MadeDirectory(const std::string& path) {
  return WhileHeld([&] { return CreateDirectoryW(Verbatim(path).c_str(), nullptr) != FALSE; });
}

}  // namespace

// What another process's handle can cause: a sharing or lock conflict, a file deleted but still
// open (access denied, and its directory not yet empty), a section mapped over it.
bool HolderMayCause(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_DELETE_PENDING:
    case ERROR_DIR_NOT_EMPTY:
    case ERROR_USER_MAPPED_FILE:
      return true;
    default:
      return false;
  }
}

bool WhileHeld(const std::function<bool()>& attempt) {
  constexpr DWORD kPatienceMs = 10000;
  // GetTickCount64 is not on XP; an unsigned difference of GetTickCount survives its wrap.
  const DWORD start = GetTickCount();
  for (;;) {
    if (attempt()) return true;
    const DWORD error = GetLastError();
    if (!HolderMayCause(error) || GetTickCount() - start >= kPatienceMs) {
      SetLastError(error);
      return false;
    }
    Sleep(20);
  }
}

ScopedFile OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  ScopedFile file;
  WhileHeld([&] {
    file.reset(CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
  });
  return file;
}

bool Copy(const std::string& from, const std::string& to) {
  return WhileHeld([&] { return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != FALSE; });
}

bool Move(const std::string& from, const std::string& to) {
  return WhileHeld([&] { return MoveFileW(Wide(from).c_str(), Wide(to).c_str()) != FALSE; });
}

bool Delete(const std::string& path) {
  return WhileHeld([&] { return DeleteFileW(Wide(path).c_str()) != FALSE; });
}

std::wstring Wide(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                        wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(units));
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  std::string utf8(wide.size() * 3, '\0');
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(bytes));
  return utf8;
}

std::wstring Verbatim(std::string_view path) {
  return L"\\\\?\\" + Wide(path);
}

TempDirectory::TempDirectory(std::size_t minimumPathLength) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    root_ = Utf8(base) + "vantrel-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    if (MadeDirectory(root_)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("creating " + root_);
  }
  path_ = root_;
  while (path_.size() < minimumPathLength) {
    path_ += "\\a-directory-deep-in-the-tree";
    if (!MadeDirectory(path_)) Fail("creating " + path_);
  }
}

TempDirectory::~TempDirectory() {
  RemoveTree(Verbatim(root_));
}

void WriteWhole(const std::string& path, std::string_view bytes) {
  const ScopedFile file = OpenForWriting(path, CREATE_ALWAYS);
  DWORD written = 0;
  // A scanner may lock a range of the file while it reads.
  if (!WhileHeld([&] {
        return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) != FALSE;
      }) ||
      written != bytes.size()) {
    Fail("writing " + path);
  }
}

void TempDirectory::Write(std::string_view name, std::string_view bytes) const {
  WriteWhole(PathOf(name), bytes);
}

void TempDirectory::Extend(std::string_view name, std::uint64_t length) const {
  const ScopedFile file = OpenForWriting(PathOf(name), OPEN_ALWAYS);
  // NTFS would otherwise set the whole length aside on disk; where sparse files are not known,
  // the length is set all the same.
  DWORD returned = 0;
  DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(length);
  if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) ||
      !WhileHeld([&] { return SetEndOfFile(file.get()) != FALSE; })) {
    Fail("extending " + std::string(name));
  }
}

void TempDirectory::MakeDirectory(std::string_view name) const {
  if (!MadeDirectory(PathOf(name))) {
    Fail("creating directory " + std::string(name));
  }
}

void TempDirectory::SetAttributes(std::string_view name, DWORD attributes) const {
  if (!WhileHeld([&] {
        return SetFileAttributesW(Verbatim(PathOf(name)).c_str(), attributes) != FALSE;
      })) {
    Fail("setting attributes of " + std::string(name));
  }
}

std::string CurrentDirectory() {
  std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
  directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
  return Utf8(directory);
}

std::string ReadWhole(const std::string& path) {
  const ScopedFile file = OpenVerbatim(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
  std::string bytes;
  if (!file.valid()) return bytes;
  char buffer[4096];
  for (DWORD read = 0; ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0;) {
    bytes.append(buffer, read);
  }
  return bytes;
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& path) {
  previous_ = Wide(CurrentDirectory());
  if (!SetCurrentDirectoryW(Wide(path).c_str())) Fail("changing to " + path);
}

CurrentDirectoryScope::~CurrentDirectoryScope() {
  SetCurrentDirectoryW(previous_.c_str());
}

std::map<std::string, EntryState> Snapshot(const std::string& directory) {
  constexpr std::uint64_t kContentLimit = 1 << 20;
  std::map<std::string, EntryState> entries;
  const std::wstring root = Verbatim(directory);
  ForEachEntry(root, [&](const WIN32_FIND_DATAW& data) {
    EntryState& entry = entries[Utf8(data.cFileName)];
    entry.attributes = data.dwFileAttributes;
    entry.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    entry.writeTime = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    if (entry.size > kContentLimit || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    const ScopedFile file = OpenVerbatim(directory + "\\" + Utf8(data.cFileName), GENERIC_READ,
                                         kShareAll, OPEN_EXISTING);
    if (!file.valid()) {
      entry.content = "<unreadable " + std::to_string(GetLastError()) + ">";
      return;
    }
    entry.content.resize(static_cast<std::size_t>(entry.size));
    DWORD read = 0;
    ReadFile(file.get(), entry.content.data(), static_cast<DWORD>(entry.size), &read, nullptr);
    entry.content.resize(read);
  });
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
  WIN32_FIND_DATAW data;
  const ScopedSearch search(FindFirstFileW(Wide(mask).c_str(), &data));
  if (!search.valid()) return names;
  do {
    names.push_back(Utf8(data.cFileName));
  } while (FindNextFileW(search.get(), &data));
  return names;
}

}  // namespace vantrel::testing
