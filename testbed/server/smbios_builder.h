// Builds the firmware's SMBIOS 2.x structure table and entry point from a profile.
#pragma once

#include <cstdint>
#include <vector>

#include "profile.h"

namespace mgx::testbed {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t smbios_major = 2;
inline constexpr std::uint8_t smbios_minor = 3;

// The structure table: BIOS, system, baseboard, processors, memory array, memory devices, the
// profile's raw structures, and the end-of-table structure.
Bytes build_structure_table(const SmbiosProfile &smbios);

// A 31-byte entry point with both checksums set.
Bytes build_entry_point(std::uint16_t table_length, std::uint32_t table_address, std::uint16_t structure_count);

}  // namespace mgx::testbed
