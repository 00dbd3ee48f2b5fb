#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace vantrel {

// Where text storage comes from: realloc's contract, null when refused. Tests point it at a
// function that refuses, to see that every caller copes.
using TextReallocate = void* (*)(void* block, std::size_t bytes);
// realloc may be imported from a DLL, so its address is no constant: it is called from here.
inline void* Reallocate(void* block, std::size_t bytes) {
  return std::realloc(block, bytes);
}
inline constinit TextReallocate textReallocate = &Reallocate;

// The first `count` units of `view`, or all of it. Rather than substr or starts_with: where the
// compiler keeps their range check, it brings the C++ runtime's exceptions into the program.
template <typename CharT>
constexpr std::basic_string_view<CharT> Prefix(std::basic_string_view<CharT> view,
                                               std::size_t count) {
  return {view.data(), count < view.size() ? count : view.size()};
}

// A length-counted string: bytes in the ANSI code page (Text), or UTF-16 units for the
// platform's wide calls (WideText). It may hold NUL; its storage always ends in one more, so
// c_str() can go straight to the platform. Nothing here throws: when storage is refused, the
// operation returns false and the text stays as it was.
template <typename CharT>
class BasicText {
 public:
  using View = std::basic_string_view<CharT>;

  BasicText() = default;
  ~BasicText() { std::free(data_); }
  BasicText(BasicText&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  BasicText& operator=(BasicText&& other) noexcept {
    if (this != &other) {
      std::free(data_);
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  BasicText(const BasicText&) = delete;
  BasicText& operator=(const BasicText&) = delete;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  View view() const { return data_ != nullptr ? View(data_, size_) : View(); }
  // The units themselves, for the platform to write into; null while the text has no storage.
  CharT* data() { return data_; }
  const CharT* c_str() const { return data_ != nullptr ? data_ : &kNul; }

  // Room for `capacity` units in all, so appends up to that size cannot fail.
  bool Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return true;
    if (capacity >= std::numeric_limits<std::size_t>::max() / sizeof(CharT)) return false;
    auto* grown = static_cast<CharT*>(textReallocate(data_, (capacity + 1) * sizeof(CharT)));
    if (grown == nullptr) return false;
    data_ = grown;
    capacity_ = capacity;
    data_[size_] = CharT{};
    return true;
  }

  // Room for `more` units beyond the current size, growing geometrically so that a text built
  // by many appends is copied rarely.
  bool MakeRoom(std::size_t more) {
    if (more > std::numeric_limits<std::size_t>::max() - size_) return false;
    const std::size_t needed = size_ + more;
    if (needed <= capacity_) return true;
    return Reserve(needed > 2 * capacity_ ? needed : 2 * capacity_) || Reserve(needed);
  }

  bool Append(View piece) {
    if (piece.empty()) return true;
    if (!MakeRoom(piece.size())) return false;
    std::memcpy(data_ + size_, piece.data(), piece.size() * sizeof(CharT));
    SetSize(size_ + piece.size());
    return true;
  }

  bool Append(std::size_t count, CharT unit) {
    if (count == 0) return true;
    if (!MakeRoom(count)) return false;
    for (std::size_t i = 0; i < count; ++i) data_[size_ + i] = unit;
    SetSize(size_ + count);
    return true;
  }

  // Keeps the first `size` units; a larger size changes nothing.
  void Truncate(std::size_t size) {
    if (size < size_) SetSize(size);
  }

 private:
  static constexpr CharT kNul{};

  void SetSize(std::size_t size) {
    size_ = size;
    data_[size_] = CharT{};
  }

  CharT* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

using Text = BasicText<char>;
using WideText = BasicText<wchar_t>;

}  // namespace vantrel
