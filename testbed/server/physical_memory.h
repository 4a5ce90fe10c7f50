// The simulated machine's physical memory as far as the firmware tables go: sparse regions of
// bytes, everything else reads as zero.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "profile.h"

namespace mgx::testbed {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t bios_window_address = 0xF0000;
inline constexpr std::uint32_t bios_window_size = 0x10000;
inline constexpr std::uint32_t smbios_table_address = 0x000E8000;

class PhysicalMemory {
public:
    void place(std::uint64_t address, const Bytes &bytes);
    // nullopt when the range runs past 4 GiB.
    std::optional<Bytes> read(std::uint64_t address, std::uint32_t length) const;

private:
    std::vector<std::pair<std::uint64_t, Bytes>> regions_;  // later placements cover earlier ones
};

// The memory of a machine with this profile: the SMBIOS entry point in the BIOS window (after
// the profile's decoy entry points) and the structure table it names. No SMBIOS: empty memory.
PhysicalMemory build_physical_memory(const Profile &profile);

}  // namespace mgx::testbed
