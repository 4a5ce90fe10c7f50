// Which machine family this is, from the SMBIOS baseboard record.
#pragma once

#include <cstdint>

namespace mgx::hal {

// 15 passes (no early stop); *type ends as 0 (INTEL), 1 (ACER), 5 (VELMORA) or 7. Also fills
// the process's BaseboardProduct. Returns 0, 24 (no SMBIOS or no baseboard) or 113 (NULL).
std::int32_t DetectMachineType(std::int32_t *type);

}  // namespace mgx::hal
