// Process-wide state of the back ends and the query interface.
#pragma once

#include <windows.h>

#include <cstdint>

namespace mgx::hal {

using CleanupEntry = void (*)();

struct InventoryState {
    void *query_api_table = nullptr;  // NULL until a back end supplies one
    CleanupEntry cleanup = nullptr;   // handed out by sensor.dll
    HMODULE sensor_library = nullptr;
    HMODULE sfs_library = nullptr;
    std::int32_t imb_start_state = 0;  // filled by HCXDynamicDriverStart
    std::int32_t bmc_start_state = 0;
    std::int32_t smbus_start_state = 0;
};

InventoryState &inventory_state();

}  // namespace mgx::hal
