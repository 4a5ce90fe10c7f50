// Halcore.dll: the exports through which programs reach the management unit (exported by name
// through halcore.def).
#pragma once

#include <cstdint>

#include "core/mgx_message.h"
#include "mgx/mgx_records.h"

extern "C" {

// Library frame and machine detection.
std::int32_t HCXInitImbSmbDll(std::int32_t *type);
std::int32_t HCXFreeImbSmbDll();

// Driver service management.
std::int32_t HCXDynamicDriverStart(const char *driver_file, const char *service_name, std::int32_t *state);
std::int32_t HCXDynamicDriverStop(const char *service_name, std::int32_t stop_type);

// The command dispatcher.
std::int32_t HCXMgxInterface(void *in, std::int32_t in_length, void *out, std::int32_t out_length,
                                                   std::uint32_t type);

// Lifetime, maintenance and memory commands.
std::int32_t MGXGetLifeTime(std::uint32_t *hours);
std::int32_t MGXSetLifeTime(std::int32_t hours);
std::int32_t MGXSetSystemConfigLastInfo(std::int32_t value);
std::int32_t MGXGetMntInfo(mgx::hal::MgxMaintenanceInfo *out);
std::int32_t MGXSetMntInfo(mgx::hal::MgxMaintenanceInfo in, mgx::hal::MgxMaintenanceInfo *out);
std::int32_t MGXGetMemMainInfo(mgx::hal::MgxMemoryMaintenance *out);
std::int32_t MGXSetMemMainInfo(mgx::hal::MgxMemoryMaintenance in, mgx::hal::MgxMemoryMaintenance *out);
}
