// The steps every back-end start shares: the program's name, the driver's path, probing the
// device and, when it does not open, installing and starting the driver.
#pragma once

#include <cstdint>
#include <string>

namespace mgx::hal {

struct DriverBackEnd {
    const char *driver_file;   // "imbdrv.sys"
    const char *device_name;   // "\\.\imbdrv"
    const char *service_name;  // "Imbdrv"
    bool current_directory_fallback;
    bool keep_device_open;  // the SMBus back end leaves the device in the handle slot
    std::int32_t *start_state;
};

struct DriverProbeResult {
    std::int32_t status;
    std::string executable_name;  // text after the last backslash of the program's path
};

// Steps 1 to 7: 0 with the driver running (and, for keep_device_open, the device in the slot),
// else 20, 100 or the driver start's status.
DriverProbeResult bring_up_driver(const DriverBackEnd &back_end);

// "Gk7t30" programs (the product's own) get no query table.
bool is_product_program(const std::string &executable_name);

}  // namespace mgx::hal
