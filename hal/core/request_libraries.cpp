// Binding the IMB request library and the bmc library at run time. Loaded libraries stay
// loaded for the life of the process.
#include <windows.h>

#include <cstring>
#include <string>

#include "process_state.h"
#include "status_codes.h"
#include "transport.h"

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

FARPROC bind(const char *file, const char *entry, char *directory, std::size_t capacity, bool &loaded) {
    HMODULE library = LoadLibraryA(library_path(file, directory, capacity));
    loaded = library != nullptr;
    return library ? GetProcAddress(library, entry) : nullptr;
}

template <typename Function>
Function as_function(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

std::int32_t LoadImbApi(char *directory, std::size_t capacity) {
    bool loaded = false;
    FARPROC entry = bind("Imbapi.dll", "SendTimedImbpRequest", directory, capacity, loaded);
    process_state().send_timed_imbp_request = as_function<SendTimedImbpRequestFunction>(entry);
    if (!loaded) return status::library_load_failed;
    return entry ? status::ok : status::entry_point_missing;
}

std::int32_t LoadBmcLibrary(char *directory, std::size_t capacity) {
    bool loaded = false;
    FARPROC entry = bind("Bmc.dll", "IPMI_Cmd", directory, capacity, loaded);
    process_state().ipmi_cmd = as_function<IpmiCmdFunction>(entry);
    if (!loaded) return status::bmc_load_failed;
    return entry ? status::ok : status::bmc_entry_missing;
}

}  // namespace mgx::hal
