// The firmware's SMBIOS table, mapped through the BMC driver for the life of the process.
#pragma once

#include <cstdint>

namespace mgx::bmc {

struct SmbiosMapping {
    std::uint8_t *table = nullptr;  // NULL until found
    std::uint32_t table_length = 0;
    std::uint32_t error = 0;  // status of the last search; 0 when the table is mapped
};

const SmbiosMapping &smbios_mapping();

std::uint32_t MapPhysicalMemory(std::uint32_t address, std::uint32_t length, std::uint8_t **mapped);
std::uint32_t UnmapPhysicalMemory(std::uint8_t *mapped);

// Maps the BIOS window, finds the entry point and maps the table it names.
void FindSMBIOS();
// Unmaps the table (the search window of a successful search stays mapped).
void ReleaseSMBIOS();

}  // namespace mgx::bmc
