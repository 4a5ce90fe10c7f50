// Bmc.dll: IPMI pass-through to the BMC driver and the firmware's SMBIOS table, mapped through
// the same driver. Exported by name and ordinal through bmc.def.
#pragma once

#include <cstdint>

namespace mgx::bmc {

// Library statuses, returned as they are.
inline constexpr std::uint32_t driver_not_open = 0xE0040009;
inline constexpr std::uint32_t no_entry_point = 0xE0080001;
inline constexpr std::uint32_t type_not_served = 0xE0080002;
inline constexpr std::uint32_t invalid_parameter = 87;

inline constexpr const char *version = "BMC.DLL Version 2/22/2000";

}  // namespace mgx::bmc

extern "C" {
// Ordinal 1: string n (1 = first; 0 and 1 give the first) of a structure of the mapped table.
char *GetNthString(std::uint8_t *structure, std::uint32_t n);
// Ordinal 2: the instance-th (0 = first) structure of a type (0, 4, 16 or 17) into *out.
std::uint32_t GetSMBIOSStructure(std::uint32_t type, std::uint32_t instance, std::uint8_t **out);
// Ordinal 3: one IPMI request through the BMC driver.
std::uint32_t IPMI_Cmd(std::uint8_t *request, std::uint8_t *answer, std::uint32_t *length, std::uint32_t timeout);
}
