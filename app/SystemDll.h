// Functions looked up at run time in DLLs of the system folder, for what
// the import table must not name or an older Windows may lack.
#pragma once

#include <windows.h>

namespace ordfalk {

// Function Name of Module, or null when Module is null or lacks it.
// Function is the function's type, e.g. decltype(OpenThemeData).
template <typename Function>
Function* ProcAddress(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace ordfalk
