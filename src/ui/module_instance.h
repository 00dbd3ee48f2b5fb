#pragma once

struct HINSTANCE__;

namespace vantrel {

// The module that owns the engine's dialogs and controls: the program itself.
HINSTANCE__* ModuleInstance() noexcept;

}  // namespace vantrel
