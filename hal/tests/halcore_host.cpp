// A program of somebody else's that uses Halcore from where it is installed: loads the Halcore.dll
// named on its command line by full path, starts it and prints {"status": N, "type": M}.
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "win32/entry_point.h"

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    const HMODULE halcore = LoadLibraryExA(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!halcore) return 3;
    const auto init = mgx::win32::entry_point<std::int32_t (*)(std::int32_t *)>(halcore, "HCXInitImbSmbDll");
    const auto free = mgx::win32::entry_point<std::int32_t (*)()>(halcore, "HCXFreeImbSmbDll");
    if (!init || !free) return 4;
    std::int32_t type = -1;
    const std::int32_t status = init(&type);
    std::printf("{\"status\": %d, \"type\": %d}\n", static_cast<int>(status), static_cast<int>(type));
    free();
    return 0;
}
