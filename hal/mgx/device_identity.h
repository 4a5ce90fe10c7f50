// The device identity (command type 25), filled from the standard Get Device ID answer.
#pragma once

#include <cstdint>

#include <halcore/command_records.h>

namespace mgx::hal {

// Flags are only ever set, never cleared; returns 0, a transport status, the completion code
// or 112 for fewer than 6 answer data bytes.
std::int32_t read_device_identity(MgxDeviceIdentity *identity);

}  // namespace mgx::hal
