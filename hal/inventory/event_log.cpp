// HCXGetCompleteSELInfo: the system event log through the outside library "sfs.dll", loaded from
// the current directory when a reader starts at record ID 0.
#include <windows.h>

#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "inventory_state.h"
#include "win32/entry_point.h"

using namespace mgx::hal;

namespace {

using SelGetEntry = std::int32_t (*)(void *request, void *second);

// "<current directory>\sfs.dll"; 20 when the current directory cannot be read.
std::int32_t load_from_current_directory() {
    char path[256] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof path, path);
    if (length == 0 || length >= sizeof path) return status::program_name_failed;
    const char file[] = "\\sfs.dll";
    if (length + sizeof file > sizeof path) return status::sfs_load_failed;
    std::memcpy(path + length, file, sizeof file);
    inventory_state().sfs_library = LoadLibraryA(path);
    return inventory_state().sfs_library ? status::ok : status::sfs_load_failed;
}

}  // namespace

extern "C" std::int32_t HCXGetCompleteSELInfo(void *request, void *second) {
    if (!request) return status::bad_argument;  // its first field, the record ID, is read first
    std::uint16_t record_id = 0;
    std::memcpy(&record_id, request, sizeof record_id);
    InventoryState &inventory = inventory_state();
    if (!inventory.sfs_library) {
        if (record_id != 0) return status::sfs_load_failed;
        if (std::int32_t loaded = load_from_current_directory()) return loaded;
    }
    const auto get_entry = mgx::win32::entry_point<SelGetEntry>(inventory.sfs_library, "SELGetEntry");
    if (!get_entry) return status::entry_point_missing;
    return get_entry(request, second);
}
