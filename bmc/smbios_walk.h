// Walking an SMBIOS 2.x entry point window and structure table held in memory. Every read
// stays inside the bytes given, whatever they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace mgx::bmc {

struct EntryPoint {
    std::uint32_t table_address;
    std::uint16_t table_length;
};

// 8-bit wrap-around sum; a block is valid when it is 0.
std::uint8_t checksum(const std::uint8_t *block, std::size_t count);

// The first entry point on a 16-byte boundary with both checksums right and a table length
// that is not 0.
std::optional<EntryPoint> find_entry_point(const std::uint8_t *window, std::size_t size);

// The instance-th structure (0 = first) of `type` whose handle is at most 0xFEFF; nullptr when
// the table ends first.
const std::uint8_t *find_structure(const std::uint8_t *table, std::size_t length, std::uint8_t type, std::uint8_t instance);

// String n (0 and 1: the first) of the structure at `structure` inside the table; a number
// beyond the string set gives the empty string that closes the set. nullptr when the structure
// lies outside the table or its string set runs past the table's end.
const std::uint8_t *nth_string(const std::uint8_t *table, std::size_t length, const std::uint8_t *structure, std::uint8_t n);

}  // namespace mgx::bmc
