// An entry point of a loaded library as a typed function pointer (NULL when it is missing).
// `name` may be an ordinal made with MAKEINTRESOURCEA.
#pragma once

#include <windows.h>

namespace mgx::win32 {

template <typename Function>
Function entry_point(HMODULE library, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace mgx::win32
