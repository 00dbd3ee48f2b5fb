#include "ui/module_instance.h"

#include <windows.h>

namespace vantrel {

HINSTANCE__* ModuleInstance() noexcept {
  return GetModuleHandleA(nullptr);
}

}  // namespace vantrel
