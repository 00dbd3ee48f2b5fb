#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

namespace vantrel {

// Owns one platform handle and closes it when the scope ends. Traits name the handle type, the
// value that means "no handle" and the call that closes one.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::None(); }
  Handle release() { return std::exchange(handle_, Traits::None()); }
  void reset(Handle handle = Traits::None()) {
    if (valid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::None();
};

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

struct SearchHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};

// Processes and threads: "no handle" is null for them.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A window is destroyed unless something else destroyed it first.
struct WindowTraits {
  using Handle = HWND;
  static Handle None() { return nullptr; }
  static void Close(Handle window) {
    if (IsWindow(window)) DestroyWindow(window);
  }
};

using ScopedFile = UniqueHandle<FileHandleTraits>;
using ScopedSearch = UniqueHandle<SearchHandleTraits>;
using ScopedKernelHandle = UniqueHandle<KernelHandleTraits>;
using ScopedWindow = UniqueHandle<WindowTraits>;

// A file held open for a scope, as a mail client holds its folder.
class HeldFile : public ScopedFile {
 public:
  HeldFile(const wchar_t* path, DWORD access, DWORD share)
      : ScopedFile(CreateFileW(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
};

// COM on this thread for a scope; uninitialised only if the initialisation took.
class ComScope {
 public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

// Sets the process error mode for a scope and puts the previous one back.
class ErrorModeScope {
 public:
  explicit ErrorModeScope(UINT mode) : previous_(SetErrorMode(mode)) {}
  ~ErrorModeScope() { SetErrorMode(previous_); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  UINT previous_;
};

}  // namespace vantrel
