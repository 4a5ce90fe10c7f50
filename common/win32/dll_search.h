// Where DLLs come from: the program's own folder and System32, never the current directory,
// where on a server anybody may have left a file of a system library's name.
#pragma once

#include <windows.h>

namespace mgx::win32 {

// Called first thing by every program of the system: later loads by bare name, its own and
// its libraries', search the program's folder and System32 only.
inline void restrict_dll_search() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS); }

// A library loaded by bare name from the program's folder and System32 only, whatever the host
// program did about its search order (a library cannot rely on restrict_dll_search).
inline HMODULE load_installed_library(const char *name) {
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

}  // namespace mgx::win32
