// The running program's own directory, as the programs record it: the program's path cut after
// its last backslash (so it ends with one).
#pragma once

#include <windows.h>

#include <string>

namespace mgx::win32 {

inline std::string program_directory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of('\\') + 1);
}

// The same in UTF-16, for paths that the ANSI code page cannot spell.
inline std::wstring program_directory_wide() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L'\\') + 1);
}

}  // namespace mgx::win32
