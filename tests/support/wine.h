#pragma once

#include <string>

namespace vantrel::testing {

// Whether this process runs under Wine rather than Windows: Wine's ntdll exports
// wine_get_version, Windows' does not.
bool UnderWine();

// The environment for a program started beside a DLL planted under a rich-edit library's name.
// Windows looks for a DLL that is not a KnownDLL in the program's folder first and needs nothing:
// the block is empty, and the program inherits ours. Wine prefers its builtin DLLs to any file
// of the same name, so a planted DLL would never load whatever the program did; under Wine the
// block is ours with the rich-edit DLLs looked for as Windows does, files before builtins.
std::wstring PlantedDllEnvironment();

}  // namespace vantrel::testing
