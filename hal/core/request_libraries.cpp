// Binding the IMB request library and the bmc library at run time. Loaded libraries stay
// loaded for the life of the process.
#include <windows.h>

#include <cstring>
#include <string>

#include <halcore/status_codes.h>

#include "process_state.h"
#include "transport.h"
#include "win32/dll_search.h"
#include "win32/entry_point.h"

namespace mgx::hal {

namespace {

// The path to load: the file name alone, or appended to the caller's directory buffer (cut,
// never written past, when it does not fit).
const char *library_path(const char *file, char *directory, std::size_t capacity) {
    if (!directory || capacity == 0) return file;
    std::size_t used = strnlen(directory, capacity - 1);
    std::size_t room = capacity - 1 - used;
    std::size_t take = std::min(room, std::strlen(file));
    std::memcpy(directory + used, file, take);
    directory[used + take] = '\0';
    return directory;
}

// Loads `file` and binds `entry` into `slot` (NULL when either is missing); the status says
// which of the two failed. A path given by the caller is loaded as it is; without one the file
// comes from where `by_name` looks.
template <typename Function>
std::int32_t bind(const char *file, HMODULE (*by_name)(const char *), const char *entry, char *directory, std::size_t capacity,
                  Function &slot, std::int32_t load_failed, std::int32_t entry_missing) {
    HMODULE library = directory && capacity ? LoadLibraryA(library_path(file, directory, capacity)) : by_name(file);
    slot = library ? win32::entry_point<Function>(library, entry) : nullptr;
    if (!library) return load_failed;
    return slot ? status::ok : entry_missing;
}

// Bmc.dll is the product's own, installed beside Halcore.
HMODULE load_bmc_library(const char *) { return win32::load_library_beside_this_module(L"Bmc.dll"); }

}  // namespace

std::int32_t LoadImbApi(char *directory, std::size_t capacity) {
    return bind("Imbapi.dll", win32::load_system_library, "SendTimedImbpRequest", directory, capacity,
                process_state().send_timed_imbp_request, status::library_load_failed, status::entry_point_missing);
}

std::int32_t LoadBmcLibrary(char *directory, std::size_t capacity) {
    return bind("Bmc.dll", load_bmc_library, "IPMI_Cmd", directory, capacity, process_state().ipmi_cmd, status::bmc_load_failed,
                status::bmc_entry_missing);
}

}  // namespace mgx::hal
