#pragma once

#include <cstddef>

#include "app/text.h"

namespace vantrel::testing {

// Every request for text storage is refused while this lives, as when memory runs out.
class RefusedTextStorage {
 public:
  RefusedTextStorage() : saved_(textReallocate) {
    textReallocate = [](void*, std::size_t) -> void* { return nullptr; };
  }
  ~RefusedTextStorage() { textReallocate = saved_; }
  RefusedTextStorage(const RefusedTextStorage&) = delete;
  RefusedTextStorage& operator=(const RefusedTextStorage&) = delete;

 private:
  TextReallocate saved_;
};

}  // namespace vantrel::testing
