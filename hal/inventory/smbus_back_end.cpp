// The SMBus back end: the SMBus driver, kept open as the device path; for other programs than
// the product's own, the repository walk and the locally built query table.
#include <windows.h>

#include <cstring>

#include <halcore/status_codes.h>

#include "back_end_probes.h"
#include "back_ends.h"
#include "bounded_text.h"
#include "driver_probe.h"
#include "fru_collector.h"
#include "inventory_state.h"
#include "process_state.h"
#include "query_api_table.h"
#include "repository_walk.h"
#include "sensor_cache.h"
#include "sensor_lock.h"

namespace mgx::hal {

std::int32_t start_smbus_back_end(const char *device_name) {
    ProcessState &state = process_state();
    std::memset(state.owner_name, 0, sizeof state.owner_name);
    // A device left open by an earlier attempt whose probe failed is closed, not leaked.
    if (state.device) CloseHandle(state.device);
    state.device = nullptr;

    DriverProbeResult driver =
        bring_up_driver({"SMBUS2.sys", device_name, "SMBUS2", true, true, &inventory_state().smbus_start_state});
    copy_bounded(state.owner_name, driver.executable_name.c_str());
    if (driver.status != status::ok) return driver.status;
    if (probe_smbus_unit() != 0) return status::transport_failure;
    if (is_product_program(driver.executable_name)) return status::ok;
    sensor_cache().clear();
    create_sensor_lock();
    walk_repository();
    install_local_query_table();
    return status::ok;
}

std::int32_t stop_smbus_back_end() {
    ProcessState &state = process_state();
    std::int32_t result = status::ok;
    if (state.device) {
        if (!CloseHandle(state.device)) result = status::device_not_open_at_close;
        state.device = nullptr;
    }
    free_fru_lists();
    destroy_sensor_lock();
    sensor_cache().clear();
    return result;
}

}  // namespace mgx::hal
