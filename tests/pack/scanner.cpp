// Does to a folder what an on-access virus scanner does: opens every file that appears or
// changes anywhere under it, once its writer lets it, sharing it with readers only, and holds it
// for a while. Meanwhile deleting, moving, writing or opening that file exclusively fails, and its
// directory cannot be removed. The scanner check of tests/checks runs the test programs beside it;
// never in the test pack.
//   scanner FOLDER [HOLD_MS]   prints "watching" once it watches, holds each file for
//                              HOLD_MS (1000) until its standard input ends, then prints
//                              "held N files"
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "end_of_input.h"

namespace {

// A file the scanner means to open, and since when; or has open, and since when.
struct Entry {
  std::wstring path;
  DWORD since;
  HANDLE handle;
};

// Scanners wait for a writer to close the file; one that never does is given up on.
constexpr DWORD kGiveUpMs = 10000;
constexpr DWORD kRetryMs = 20;

HANDLE stopped = nullptr;

DWORD WINAPI WaitForEndOfInput(void*) {
  vantrel::testing::WaitForEndOfInput();
  SetEvent(stopped);
  return 0;
}

// Opens what it can of `pending` into `held`; keeps what is still being written.
// The paths pending or held, each once: a change to a file already held or waited for is
// one scan.
std::set<std::wstring> watched;

void OpenPending(std::vector<Entry>& pending, std::vector<Entry>& held, unsigned& count) {
  const DWORD now = GetTickCount();
  std::vector<Entry> waiting;
  for (Entry& entry : pending) {
    const DWORD attributes = GetFileAttributesW(entry.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      watched.erase(entry.path);
      continue;
    }
    const HANDLE file = CreateFileW(entry.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      held.push_back({entry.path, now, file});
      ++count;
    } else if (GetLastError() == ERROR_SHARING_VIOLATION && now - entry.since < kGiveUpMs) {
      waiting.push_back(entry);
    } else {
      watched.erase(entry.path);
    }
  }
  pending.swap(waiting);
}

void ReleaseDue(std::vector<Entry>& held, DWORD holdMs) {
  const DWORD now = GetTickCount();
  std::vector<Entry> kept;
  for (const Entry& entry : held) {
    if (now - entry.since >= holdMs) {
      CloseHandle(entry.handle);
      watched.erase(entry.path);
    } else {
      kept.push_back(entry);
    }
  }
  held.swap(kept);
}

DWORD NextWait(const std::vector<Entry>& pending, const std::vector<Entry>& held, DWORD holdMs) {
  if (!pending.empty()) return kRetryMs;
  DWORD wait = INFINITE;
  const DWORD now = GetTickCount();
  for (const Entry& entry : held) {
    const DWORD elapsed = now - entry.since;
    const DWORD left = elapsed >= holdMs ? 0 : holdMs - elapsed;
    if (left < wait) wait = left;
  }
  return wait;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scanner FOLDER [HOLD_MS]\n");
    return 2;
  }
  const DWORD holdMs = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 1000;
  std::wstring folder(32768, L'\0');
  folder.resize(
      GetFullPathNameW(argv[1], static_cast<DWORD>(folder.size()), folder.data(), nullptr));
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  const std::wstring root = L"\\\\?\\" + folder + L"\\";
  // Shared with everyone, as a scanner's watch is: it never stands in the way of a deletion.
  const HANDLE directory = CreateFileW(
      folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (directory == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot watch %ls: error %lu\n", folder.c_str(), GetLastError());
    return 1;
  }
  stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, WaitForEndOfInput, nullptr, 0, nullptr));

  constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                             FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
  std::vector<DWORD> buffer(16384);  // 64 KiB, the most a watch over the network may ask for
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<Entry> pending, held;
  unsigned count = 0, overflows = 0;
  for (bool first = true;; first = false) {
    ResetEvent(overlapped.hEvent);
    if (!ReadDirectoryChangesW(directory, buffer.data(),
                               static_cast<DWORD>(buffer.size() * sizeof(DWORD)), TRUE, kChanges,
                               nullptr, &overlapped, nullptr)) {
      std::fprintf(stderr, "cannot watch %ls: error %lu\n", folder.c_str(), GetLastError());
      return 1;
    }
    if (first) {
      std::printf("watching\n");
      std::fflush(stdout);
    }
    const HANDLE events[] = {overlapped.hEvent, stopped};
    DWORD woken;
    while ((woken = WaitForMultipleObjects(2, events, FALSE, NextWait(pending, held, holdMs))) ==
           WAIT_TIMEOUT) {
      OpenPending(pending, held, count);
      ReleaseDue(held, holdMs);
    }
    if (woken != WAIT_OBJECT_0) break;
    DWORD bytes = 0;
    if (!GetOverlappedResult(directory, &overlapped, &bytes, FALSE) || bytes == 0) {
      ++overflows;  // more changes than the buffer holds: those files go unscanned
      continue;
    }
    for (const BYTE* at = reinterpret_cast<const BYTE*>(buffer.data());;) {
      const auto& change = *reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
      const std::wstring path =
          root + std::wstring(change.FileName, change.FileNameLength / sizeof(WCHAR));
      if (change.Action != FILE_ACTION_REMOVED && change.Action != FILE_ACTION_RENAMED_OLD_NAME &&
          watched.insert(path).second) {
        pending.push_back({path, GetTickCount(), INVALID_HANDLE_VALUE});
      }
      if (change.NextEntryOffset == 0) break;
      at += change.NextEntryOffset;
    }
    OpenPending(pending, held, count);
    ReleaseDue(held, holdMs);
  }
  CancelIo(directory);
  for (const Entry& entry : held) CloseHandle(entry.handle);
  std::printf("held %u files\n", count);
  if (overflows > 0) std::printf("missed changes %u times\n", overflows);
  return 0;
}
