// DMIINFO.dll: SMBIOS information by structure name. The table is read once per process, on
// the first call.
//
//   1 DmiIsPresent()                      1 when an SMBIOS table is present, else 0
//   2 DmiCountStructures(name)            number of structures of that kind (0 when none or unknown)
//   3 DmiGetString(name, instance, n)     string n (1 = first of the structure's string set) of
//                                         the instance-th (1 = first) structure of that kind: a
//                                         writable NUL-terminated copy owned by the library, ""
//                                         when the structure has no such string, NULL when there
//                                         is no such structure
#include <windows.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>

#include "firmware_table.h"
#include "smbios_table.h"

using namespace mgx::testbed;

namespace {

struct NamedType {
    std::string_view name;
    std::uint8_t type;
};

constexpr NamedType structure_names[] = {
    {"BIOS INFORMATION", 0}, {"SYSTEM INFORMATION", 1},     {"BASEBOARD INFORMATION", 2},
    {"SYSTEM ENCLOSURE", 3}, {"PROCESSOR INFORMATION", 4},  {"CACHE INFORMATION", 7},
    {"SYSTEM SLOTS", 9},     {"PHYSICAL MEMORY ARRAY", 16}, {"MEMORY DEVICE", 17},
};

std::optional<std::uint8_t> type_named(const char *name) {
    if (!name) return std::nullopt;
    for (const NamedType &entry : structure_names)
        if (entry.name == name) return entry.type;
    return std::nullopt;
}

struct Inventory {
    bool present = false;
    std::vector<SmbiosStructure> structures;  // strings handed out point into these
    std::string empty_string;                 // returned (writable) for a missing string
};

Inventory &inventory() {
    static Inventory loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        if (auto table = read_smbios_table()) {
            loaded.present = true;
            loaded.structures = parse_smbios_table(*table);
        }
    });
    return loaded;
}

SmbiosStructure *find(std::uint8_t type, int instance) {
    int seen = 0;
    for (SmbiosStructure &structure : inventory().structures)
        if (structure.type == type && ++seen == instance) return &structure;
    return nullptr;
}

}  // namespace

extern "C" {

int DmiIsPresent() { return inventory().present ? 1 : 0; }

int DmiCountStructures(const char *name) {
    auto type = type_named(name);
    if (!type) return 0;
    int count = 0;
    for (const SmbiosStructure &structure : inventory().structures) count += structure.type == *type;
    return count;
}

char *DmiGetString(const char *name, int instance, int string_number) {
    auto type = type_named(name);
    if (!type || instance < 1) return nullptr;
    SmbiosStructure *structure = find(*type, instance);
    if (!structure) return nullptr;
    if (string_number < 1 || static_cast<std::size_t>(string_number) > structure->strings.size()) {
        inventory().empty_string.assign("");  // a caller may have written into it
        return inventory().empty_string.data();
    }
    return structure->strings[string_number - 1].data();
}
}
