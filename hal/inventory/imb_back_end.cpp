// The IMB back end: the IMB driver, the IMB request library and the outside sensor library's
// query table.
#include <windows.h>

#include <halcore/status_codes.h>

#include "back_end_probes.h"
#include "back_ends.h"
#include "driver_probe.h"
#include "inventory_state.h"
#include "transport.h"
#include "win32/dll_search.h"

namespace mgx::hal {

namespace {

using GetApiInfo = int (*)(void **table, std::uint32_t *, std::uint32_t *, std::uint32_t *, CleanupEntry *cleanup);

}  // namespace

std::int32_t start_imb_back_end() {
    InventoryState &inventory = inventory_state();
    inventory.query_api_table = nullptr;
    inventory.sensor_library = nullptr;
    inventory.sfs_library = nullptr;
    inventory.imb_start_state = 0;

    DriverProbeResult driver =
        bring_up_driver({"imbdrv.sys", "\\\\.\\imbdrv", "Imbdrv", true, false, &inventory.imb_start_state});
    if (driver.status != status::ok) return driver.status;
    if (std::int32_t bound = LoadImbApi(); bound != status::ok) return bound;
    probe_imb_unit();
    if (is_product_program(driver.executable_name)) return status::ok;

    inventory.sensor_library = win32::load_system_library("sensor.dll");  // System32 only
    if (!inventory.sensor_library) {
        GetLastError();  // read and discarded
        return status::library_load_failed;
    }
    auto get_api_info = reinterpret_cast<GetApiInfo>(
        reinterpret_cast<void (*)()>(GetProcAddress(inventory.sensor_library, "SENSORCiGetApiInfo")));
    if (!get_api_info) return status::entry_point_missing;
    std::uint32_t unused[3] = {};
    return get_api_info(&inventory.query_api_table, &unused[0], &unused[1], &unused[2], &inventory.cleanup);
}

std::int32_t stop_imb_back_end() {
    InventoryState &inventory = inventory_state();
    if (CleanupEntry cleanup = inventory.cleanup) {
        inventory.cleanup = nullptr;
        cleanup();
    }
    return status::ok;
}

}  // namespace mgx::hal
