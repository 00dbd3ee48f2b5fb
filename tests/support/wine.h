#pragma once

#include <string>

namespace vantrel::testing {

// Whether this process runs under Wine rather than Windows: Wine's ntdll exports
// wine_get_version, Windows' does not.
bool UnderWine();

// While this lives, the program of that file name looks for the rich-edit DLLs as Windows does,
// so that a DLL planted beside it is a fair test. Windows needs nothing: a DLL that is not a
// KnownDLL is looked for in the program's folder first. Wine prefers its builtins to any file of
// the same name, so a planted DLL would never load whatever the program did; under Wine the
// program is given "native, then builtin" for both DLLs among Wine's per-program overrides in
// the registry. (Wine sets WINEDLLOVERRIDES in each process from the Unix environment, so a
// child's environment block cannot do it.)
class RichEditFilesFirst {
 public:
  explicit RichEditFilesFirst(const std::string& program);
  ~RichEditFilesFirst();
  RichEditFilesFirst(const RichEditFilesFirst&) = delete;
  RichEditFilesFirst& operator=(const RichEditFilesFirst&) = delete;

 private:
  std::string programKey_;  // the overrides of that program, when set here
  bool keyWasThere_ = false;
};

}  // namespace vantrel::testing
