#include "physical_memory.h"

#include <algorithm>

#include "smbios_builder.h"
#include "smbios_table.h"

namespace mgx::testbed {

void PhysicalMemory::place(std::uint64_t address, const Bytes &bytes) { regions_.push_back({address, bytes}); }

std::optional<Bytes> PhysicalMemory::read(std::uint64_t address, std::uint32_t length) const {
    if (address + length > 0x100000000ULL) return std::nullopt;
    Bytes result(length, 0);
    for (const auto &[start, bytes] : regions_) {
        std::uint64_t end = start + bytes.size();
        std::uint64_t from = std::max(start, address), to = std::min(end, address + length);
        for (std::uint64_t at = from; at < to; ++at) result[at - address] = bytes[at - start];
    }
    return result;
}

PhysicalMemory build_physical_memory(const Profile &profile) {
    PhysicalMemory memory;
    if (!profile.smbios) return memory;
    const Bytes table = build_structure_table(*profile.smbios);
    memory.place(smbios_table_address, table);
    std::uint32_t offset = 0x100;
    for (int i = 0; i < profile.smbios->decoy_entry_points; ++i, offset += 0x20)
        memory.place(bios_window_address + offset, build_entry_point(0, smbios_table_address, 0));
    memory.place(bios_window_address + offset, build_entry_point(static_cast<std::uint16_t>(table.size()), smbios_table_address,
                                                                 static_cast<std::uint16_t>(parse_smbios_table(table).size())));
    return memory;
}

}  // namespace mgx::testbed
