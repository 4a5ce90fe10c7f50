#include "smbios_table_access.h"

#include <windows.h>

#include <cstring>

#include "bmc_driver.h"
#include "bmc_library.h"
#include "smbios_walk.h"

namespace mgx::bmc {

namespace {

SmbiosMapping mapping;

constexpr std::uint32_t window_address = 0xF0000;
constexpr std::uint32_t window_length = 0xFFF0;

#pragma pack(push, 1)
struct PhysicalMemoryRequest {
    std::uint32_t interface_type;
    std::uint32_t bus_number;
    std::uint64_t physical_address;
    std::uint32_t address_space;
    std::uint32_t length;
};
#pragma pack(pop)
static_assert(sizeof(PhysicalMemoryRequest) == 24, "physical memory request layout");
static_assert(offsetof(PhysicalMemoryRequest, physical_address) == 8 && offsetof(PhysicalMemoryRequest, length) == 20,
              "physical memory request layout");

}  // namespace

const SmbiosMapping &smbios_mapping() { return mapping; }

std::uint32_t MapPhysicalMemory(std::uint32_t address, std::uint32_t length, std::uint8_t **mapped) {
    if (driver() == INVALID_HANDLE_VALUE) return driver_not_open;
    if (address == 0 || length == 0) return invalid_parameter;
    PhysicalMemoryRequest request{0, 0, address, 0, length};
    std::uint32_t user_address = 0;
    DWORD returned = 0;
    if (!DeviceIoControl(driver(), ioctl_map_memory, &request, sizeof request, &user_address, sizeof user_address, &returned,
                         nullptr))
        return GetLastError();
    *mapped = reinterpret_cast<std::uint8_t *>(static_cast<std::uintptr_t>(user_address));
    return 0;
}

std::uint32_t UnmapPhysicalMemory(std::uint8_t *mapped) {
    if (driver() == INVALID_HANDLE_VALUE) return driver_not_open;
    std::uint32_t user_address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(mapped));
    DWORD returned = 0;
    if (!DeviceIoControl(driver(), ioctl_unmap_memory, &user_address, sizeof user_address, nullptr, 0, &returned, nullptr))
        return GetLastError();
    return 0;
}

void FindSMBIOS() {
    std::uint8_t *window = nullptr;
    mapping.error = MapPhysicalMemory(window_address, window_length, &window);
    if (mapping.error != 0) return;
    std::optional<EntryPoint> entry = find_entry_point(window, window_length);
    if (!entry) {
        UnmapPhysicalMemory(window);
        mapping.error = no_entry_point;
        return;
    }
    mapping.table_length = entry->table_length;
    mapping.error = MapPhysicalMemory(entry->table_address, entry->table_length, &mapping.table);
    if (mapping.error != 0) mapping.table = nullptr;
}

void ReleaseSMBIOS() {
    if (mapping.table) UnmapPhysicalMemory(mapping.table);
    mapping.table = nullptr;
}

}  // namespace mgx::bmc

using namespace mgx::bmc;

extern "C" std::uint32_t GetSMBIOSStructure(std::uint32_t type, std::uint32_t instance, std::uint8_t **out) {
    if (!out) return invalid_parameter;
    *out = nullptr;
    if (!mapping.table) return mapping.error;
    const std::uint8_t wanted = static_cast<std::uint8_t>(type);
    if (wanted != 0 && wanted != 4 && wanted != 16 && wanted != 17) return type_not_served;
    *out = const_cast<std::uint8_t *>(
        find_structure(mapping.table, mapping.table_length, wanted, static_cast<std::uint8_t>(instance)));
    return 0;
}

extern "C" char *GetNthString(std::uint8_t *structure, std::uint32_t n) {
    if (!structure || !mapping.table) return nullptr;
    return reinterpret_cast<char *>(
        const_cast<std::uint8_t *>(nth_string(mapping.table, mapping.table_length, structure, static_cast<std::uint8_t>(n))));
}
