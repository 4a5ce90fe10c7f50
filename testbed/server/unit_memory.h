// What the management unit keeps besides its running-time counter: settings, texts, the store
// area, FRU stores, fans and the front panel. Persisted with the unit's state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

inline constexpr std::size_t unit_store_size = 506;
inline constexpr std::size_t fru_area_size = 256;
inline constexpr std::size_t max_fru_image = 4096;  // the largest FRU device a profile may give
inline constexpr std::size_t fan_count = 4;
inline constexpr std::size_t event_record_size = 16;
// Record IDs run from 1 and the ID 0xFFFF ends a log: 0xFFFE records are the most a log holds.
inline constexpr std::size_t max_event_records = 0xFFFE;

struct BootMonitoring {
    bool post_enabled = true, os_boot_enabled = false;
    std::uint16_t post_timeout = 600, os_boot_timeout = 600;  // seconds
    std::uint8_t post_retries = 1, os_boot_retries = 1;
    std::uint8_t retry_method = 0;  // 0 power off, then on again; 1 reboot by hardware reset
};
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(BootMonitoring, post_enabled, os_boot_enabled, post_timeout, os_boot_timeout,
                                                post_retries, os_boot_retries, retry_method)

struct Maintenance {
    std::vector<std::uint8_t> info = std::vector<std::uint8_t>(16, 0);    // two records of 8 bytes
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(16, 0);  // two records of 8 bytes
    std::uint8_t system_config_last = 0;
};
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Maintenance, info, memory, system_config_last)

struct Panel {
    std::array<std::string, 2> lines = {std::string(16, ' '), std::string(16, ' ')};
    std::uint8_t leds = 0;         // bits 0 to 2
    std::uint8_t led_control = 0;  // the last control byte
};
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Panel, lines, leds, led_control)

struct UnitMemory {
    std::uint8_t safe_mode = 1;
    BootMonitoring boot;
    Maintenance maintenance;
    std::array<std::string, 4> system_information = {"", "", "", ""};
    std::vector<std::uint8_t> store = std::vector<std::uint8_t>(unit_store_size, 0);
    std::vector<std::uint8_t> unit_fru = std::vector<std::uint8_t>(fru_area_size, 0xFF);
    std::vector<std::uint8_t> fru_device = std::vector<std::uint8_t>(fru_area_size, 0xFF);
    std::vector<std::uint16_t> fan_control = std::vector<std::uint16_t>(fan_count, 0);
    Panel panel;
    std::vector<std::vector<std::uint8_t>> event_log;  // 16-byte records, oldest first; record ID = position + 1
};
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(UnitMemory, safe_mode, boot, maintenance, system_information, store, unit_fru,
                                                fru_device, fan_control, panel, event_log)

// Restores sizes a remembered state could have got wrong, so no handler indexes past an end.
void normalise(UnitMemory &memory);

}  // namespace mgx::testbed
