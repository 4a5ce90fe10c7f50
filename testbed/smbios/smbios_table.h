// A parsed SMBIOS structure table: each structure's type, handle, formatted area and strings.
// Used by the testbed's stand-in SMBIOS information library and by tests that check tables.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mgx::testbed {

struct SmbiosStructure {
    std::uint8_t type = 0;
    std::uint16_t handle = 0;
    std::vector<std::uint8_t> formatted;  // the whole formatted area, header included
    std::vector<std::string> strings;     // string set, 1-based in SMBIOS terms
};

// Walks the table; a structure running past the end ends the walk (what came before is kept).
std::vector<SmbiosStructure> parse_smbios_table(std::span<const std::uint8_t> table);

}  // namespace mgx::testbed
