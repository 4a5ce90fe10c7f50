// Where DLLs come from: the program's own folder and System32, never the current directory,
// where on a server anybody may have left a file of a system library's name.
#pragma once

#include <windows.h>

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // the linker's start of the module this code is part of

namespace mgx::win32 {

// Called first thing by every program of the system: later loads by bare name, its own and
// its libraries', search the program's folder and System32 only.
inline void restrict_dll_search() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS); }

// A library that the system provides (the IMB request and sensor libraries, DMIINFO): from
// System32 alone, whatever the host program is and wherever it lies.
inline HMODULE load_system_library(const char *name) { return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

// One of the product's own libraries, installed beside the module whose code asks for it (so
// Halcore finds Bmc.dll in its own folder whichever program hosts it), with the libraries it
// imports from that folder and System32.
inline HMODULE load_library_beside_this_module(const wchar_t *name) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return nullptr;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') + 1);
    return LoadLibraryExW((path + name).c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace mgx::win32
