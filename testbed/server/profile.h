// A machine profile: what one simulated server is made of. One JSON file per machine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sensor_repository.h"

namespace mgx::testbed {

struct ProcessorInfo {
    std::string socket;
    std::string manufacturer;
    std::string version;
    std::uint16_t speed_mhz = 0;
};

struct MemoryDeviceInfo {
    std::string locator;
    std::string bank;
    std::uint16_t size_mb = 0;
};

// A structure given byte by byte, for tables that exercise the readers' corner cases.
struct RawStructure {
    std::uint8_t type = 0;
    std::uint16_t handle = 0;
    std::vector<std::uint8_t> formatted;  // bytes after the 4-byte header
    std::vector<std::string> strings;
};

struct SmbiosProfile {
    std::string bios_vendor, bios_version, bios_date;
    std::string system_manufacturer, system_product;
    std::string baseboard_manufacturer, baseboard_product;
    std::vector<ProcessorInfo> processors;
    std::uint32_t memory_capacity_kb = 0;
    std::vector<MemoryDeviceInfo> memory_devices;
    std::vector<RawStructure> extra_structures;
    int decoy_entry_points = 0;  // well-formed entry points with table length 0 before the real one
};

enum class DeviceKind { Imb, Bmc, Smbus };

struct UnitProfile {
    std::vector<std::uint8_t> device_id;  // answer data of Get Device ID
    std::uint32_t running_hours = 0;
    bool silent = false;
    bool lcd_present = true;                                        // the front panel has an LCD
    bool os_boot_monitoring = true;                                 // the unit can watch the operating system's boot
    std::uint8_t store_read_limit = 16;                             // most bytes one store-area read answer delivers
    std::vector<std::vector<std::uint8_t>> event_log = {};          // 16-byte event log records, oldest first
    SensorRepository repository = {};                               // "sdr_file": an `ipmitool sdr dump` file
    std::vector<std::uint8_t> fru_image = {};                       // "fru_file": FRU device 0; none: 256 bytes of 0xFF
    bool fru_word_access = false;                                   // FRU device 0 is read by words
    std::vector<std::uint8_t> chassis_status = {0x01, 0x00, 0x00};  // Get Chassis Status answer data
};

// One node of the RCI chain: its device information and its units' information, answered raw.
struct RciNodeProfile {
    std::vector<std::uint8_t> device_info;
    std::vector<std::vector<std::uint8_t>> units;  // unit 1 first
};

// The LCD panel controller with the RCI chain behind it, at SMBus device address 0x18. Every
// answer holds at most `lcd_answer_capacity` data bytes.
inline constexpr std::size_t lcd_answer_capacity = 41;
inline constexpr std::size_t lcd_page_width = 16;

struct LcdPanelProfile {
    std::vector<std::uint8_t> device_info, management_log;
    // Display pages by their two selector bytes (first byte high); a page not given is blank.
    std::map<std::uint16_t, std::string> pages;
    std::vector<RciNodeProfile> rci_nodes;  // node 1 first
};

struct Profile {
    std::string name;
    std::string description;
    std::optional<SmbiosProfile> smbios;  // absent: the machine has no SMBIOS
    std::vector<DeviceKind> devices;      // hardware the drivers reach
    UnitProfile unit;
    std::optional<LcdPanelProfile> lcd_panel;  // absent: nothing answers at SMBus address 0x18

    bool has_device(DeviceKind kind) const;
};

// Throws std::runtime_error naming the field that is wrong.
// Files a profile names ("sdr_file", "fru_file") are found in `directory`.
Profile parse_profile(const nlohmann::json &document, const std::filesystem::path &directory = {});
Profile load_profile(const std::filesystem::path &file);
// The "pages" object of an LCD panel: {"00 10": "text of 16 characters at most", ...}.
std::map<std::uint16_t, std::string> parse_lcd_pages(const nlohmann::json &node);

const char *device_name(DeviceKind kind);
std::optional<DeviceKind> device_from_name(std::string_view name);

}  // namespace mgx::testbed
