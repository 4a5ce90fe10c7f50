#include "smbios_table.h"

namespace mgx::testbed {

std::vector<SmbiosStructure> parse_smbios_table(std::span<const std::uint8_t> table) {
    std::vector<SmbiosStructure> structures;
    std::size_t position = 0;
    while (position + 4 <= table.size()) {
        const std::uint8_t length = table[position + 1];
        if (length < 4 || position + length > table.size()) break;
        SmbiosStructure structure;
        structure.type = table[position];
        structure.handle = static_cast<std::uint16_t>(table[position + 2] | table[position + 3] << 8);
        structure.formatted.assign(table.begin() + position, table.begin() + position + length);
        std::size_t cursor = position + length;
        // The string set: NUL-terminated strings closed by one more NUL; an empty set is two NULs.
        bool closed = false;
        if (cursor + 1 < table.size() && table[cursor] == 0 && table[cursor + 1] == 0) {
            cursor += 2;
            closed = true;
        }
        while (!closed && cursor < table.size()) {
            std::size_t end = cursor;
            while (end < table.size() && table[end] != 0) ++end;
            if (end >= table.size()) break;
            structure.strings.emplace_back(reinterpret_cast<const char *>(&table[cursor]), end - cursor);
            cursor = end + 1;
            if (cursor < table.size() && table[cursor] == 0) {
                ++cursor;
                closed = true;
            }
        }
        if (!closed) break;
        const bool end_of_table = structure.type == 127;
        structures.push_back(std::move(structure));
        position = cursor;
        if (end_of_table) break;
    }
    return structures;
}

}  // namespace mgx::testbed
