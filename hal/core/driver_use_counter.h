// The per-service use counter in the registry that lets several users share one driver.
#pragma once

#include <cstdint>

namespace mgx::hal {

struct CounterUpdate {
    std::int32_t status;        // 0 or 22
    std::int32_t counter;       // after the update
    std::int32_t final_action;  // in: recorded for the first user; out (last user): what the stop does
};

// Skipped (final action 0, status 0) for "SMBUS2", "SMBUS" and "Imbdrv" and while the back
// ends' internal start is under way.
CounterUpdate count_use(const char *service_name, bool up, std::int32_t final_action);

// Rewrites "ImagePath" to "\??\" followed by the driver path, keeping the value's type.
void rewrite_image_path(const char *service_name, const char *driver_file);

}  // namespace mgx::hal
