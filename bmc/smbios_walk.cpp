#include "smbios_walk.h"

#include <cstring>

namespace mgx::bmc {

std::uint8_t checksum(const std::uint8_t *block, std::size_t count) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint8_t>(sum + block[i]);
    return sum;
}

std::optional<EntryPoint> find_entry_point(const std::uint8_t *window, std::size_t size) {
    for (std::size_t offset = 0; offset + 31 <= size; offset += 16) {
        const std::uint8_t *entry = window + offset;
        if (std::memcmp(entry, "_SM_", 4) != 0) continue;
        if (offset + entry[5] > size || checksum(entry, entry[5]) != 0) continue;
        if (checksum(entry + 16, 15) != 0) continue;
        const std::uint16_t length = static_cast<std::uint16_t>(entry[22] | entry[23] << 8);
        if (length == 0) continue;
        const std::uint32_t address = entry[24] | entry[25] << 8 | entry[26] << 16 | static_cast<std::uint32_t>(entry[27]) << 24;
        return EntryPoint{address, length};
    }
    return std::nullopt;
}

const std::uint8_t *find_structure(const std::uint8_t *table, std::size_t length, std::uint8_t type, std::uint8_t instance) {
    std::size_t position = 0;
    unsigned matches = 0;
    while (position + 4 <= length) {
        const std::uint8_t *structure = table + position;
        const std::uint16_t handle = static_cast<std::uint16_t>(structure[2] | structure[3] << 8);
        if (structure[0] == type && handle <= 0xFEFF) {
            if (matches == instance) return structure;
            ++matches;
        }
        // Past the formatted area, then to the pair of NUL bytes that closes the string set.
        position += structure[1];
        while (position + 1 < length && (table[position] != 0 || table[position + 1] != 0)) ++position;
        position += 2;
    }
    return nullptr;
}

const std::uint8_t *nth_string(const std::uint8_t *table, std::size_t length, const std::uint8_t *structure, std::uint8_t n) {
    if (!structure || structure < table || structure + 4 > table + length) return nullptr;
    const std::uint8_t *end = table + length;
    const std::uint8_t *set = structure + structure[1];
    // The set ends at the first pair of NUL bytes; its first NUL is the empty string handed
    // out for a number beyond the set. A set that the table cuts off is not served.
    const std::uint8_t *set_end = set;
    while (set_end + 1 < end && (set_end[0] != 0 || set_end[1] != 0)) ++set_end;
    if (set_end + 1 >= end) return nullptr;

    const std::uint8_t *position = set;
    while (position < set_end && *position == 0) ++position;
    for (unsigned number = 2; number <= n && position < set_end; ++number) {
        while (position < set_end && *position != 0) ++position;
        while (position < set_end && *position == 0) ++position;
    }
    return position < set_end ? position : set_end;
}

}  // namespace mgx::bmc
