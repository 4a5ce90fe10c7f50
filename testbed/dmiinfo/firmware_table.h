// Where the SMBIOS structure table comes from: the testbed's virtual server when the machine is
// set up for the testbed (HKLM\SOFTWARE\MgxTestbed, "SmbiosSource" = "VirtualServer"), else the
// firmware's own table.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace mgx::testbed {

// The raw structure table; nullopt when the machine has none (or the server is not running).
std::optional<std::vector<std::uint8_t>> read_smbios_table();

}  // namespace mgx::testbed
