// The BMC back end: the BMC driver and the bmc library's IPMI pass-through; no query table.
#include <halcore/status_codes.h>
#include "back_end_probes.h"

#include "back_ends.h"
#include "driver_probe.h"
#include "inventory_state.h"
#include "transport.h"

namespace mgx::hal {

std::int32_t start_bmc_back_end() {
    InventoryState &inventory = inventory_state();
    inventory.query_api_table = nullptr;
    inventory.bmc_start_state = 0;

    DriverProbeResult driver = bring_up_driver({"bmc.sys", "\\\\.\\bmc", "bmc", false, false, &inventory.bmc_start_state});
    if (driver.status != status::ok) return driver.status;
    // Bound only now, after the driver runs: the library opens the driver when it is loaded.
    if (std::int32_t bound = LoadBmcLibrary(); bound != status::ok) return bound;
    probe_bmc_unit();
    return status::ok;
}

std::int32_t stop_bmc_back_end() { return status::ok; }

}  // namespace mgx::hal
