// A function of a system DLL looked up at run time, for the entry points that
// older systems lack (importing them would stop the program from loading) and
// for DLLs that only a rarely used feature needs (importing them would load
// them at every start).
#pragma once

#include <windows.h>

namespace base {

// The export of an already loaded module, or null when the module or the
// export is missing.
template <typename Function>
Function SystemFunction(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    return loaded
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
               : nullptr;
}

// The export of a module, which is loaded from the system folder when it is
// not loaded yet and then stays; null when the module or the export is
// missing.
template <typename Function>
Function LoadedSystemFunction(const char* module, const char* name) {
    HMODULE loaded = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return loaded
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
               : nullptr;
}

} // namespace base
