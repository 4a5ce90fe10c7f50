// The sensor types of the IPMI 2.0 sensor type table: each type's name and, for the types whose
// readings the library scales, the unit of its scaled values. One table, read by the library's
// queries, the event log's texts, the sensor listing and the metrics.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "query_records.h"
#include "sensor_units.h"

namespace mgx::hal {

// The codes the library and its callers treat apart; the query exports take 1 to 254.
namespace sensor_type {
inline constexpr std::uint8_t temperature = 0x01, voltage = 0x02, current = 0x03, fan = 0x04, power_supply = 0x08,
                              power_unit = 0x09;
inline constexpr std::uint8_t first = 1, last = 254;
inline constexpr std::uint8_t oem_first = 0xC0;
}  // namespace sensor_type

// The bits of a threshold sensor's readable and settable masks, as the sensor record lays them.
namespace threshold_mask {
inline constexpr std::uint8_t lower_non_critical = 0x01, lower_critical = 0x02, lower_non_recoverable = 0x04,
                              upper_non_critical = 0x08, upper_critical = 0x10, upper_non_recoverable = 0x20;
}  // namespace threshold_mask

// The unit a sensor type's scaled values are in: a value divided by `divisor` is in the unit of
// code `unit` (unspecified: the value as the record converts it).
struct ScaledUnit {
    double divisor;
    std::uint8_t unit;
};

struct SensorTypeFacts {
    std::string_view name;
    ScaledUnit scale;
};

namespace sensor_type_table {
inline constexpr ScaledUnit as_converted{1, sensor_unit::unspecified};
struct Row {
    std::string_view name;
    ScaledUnit scale = as_converted;
};
// clang-format off: one type a line, in code order from 0x00
inline constexpr std::array<Row, 0x2D> rows = {{
    {"reserved"},
    {"Temperature", {10, sensor_unit::degrees_c}},  // tenths of a degree
    {"Voltage", {1000, sensor_unit::volts}},        // millivolts
    {"Current", {1000, sensor_unit::amps}},         // milliamperes
    {"Fan", {10, sensor_unit::rpm}},                // tenths
    {"Physical Security"},
    {"Platform Security"},
    {"Processor"},
    {"Power Supply"},
    {"Power Unit"},
    {"Cooling Device"},
    {"Other Units-based Sensor"},
    {"Memory"},
    {"Drive Slot (Bay)"},
    {"POST Memory Resize"},
    {"System Firmware Progress"},
    {"Event Logging Disabled"},
    {"Watchdog 1"},
    {"System Event"},
    {"Critical Interrupt"},
    {"Button / Switch"},
    {"Module / Board"},
    {"Microcontroller / Coprocessor"},
    {"Add-in Card"},
    {"Chassis"},
    {"Chip Set"},
    {"Other FRU"},
    {"Cable / Interconnect"},
    {"Terminator"},
    {"System Boot / Restart Initiated"},
    {"Boot Error"},
    {"Base OS Boot / Installation Status"},
    {"OS Stop / Shutdown"},
    {"Slot / Connector"},
    {"System ACPI Power State"},
    {"Watchdog 2"},
    {"Platform Alert"},
    {"Entity Presence"},
    {"Monitor ASIC / IC"},
    {"LAN"},
    {"Management Subsystem Health"},
    {"Battery"},
    {"Session Audit"},
    {"Version Change"},
    {"FRU State"},
}};
// clang-format on
inline constexpr Row reserved{"reserved"}, oem{"OEM reserved"};
}  // namespace sensor_type_table

// What the table says of a type: "reserved" for a code it does not name, "OEM reserved" for
// 0xC0 to 0xFF; both scaled as the record converts.
constexpr SensorTypeFacts sensor_type_facts(std::uint32_t type) {
    using namespace sensor_type_table;
    const Row &row = type >= sensor_type::oem_first && type <= 0xFF ? oem : type < rows.size() ? rows[type] : reserved;
    return {row.name, row.scale};
}

// A sensor's scaled values in real units: scaled / divisor is in `name` ("" for none).
struct RealUnit {
    double divisor;
    std::string_view name;
    double real(std::int32_t scaled) const { return scaled / divisor; }
};

// What a sensor's scaled values are in: from its own record where the library gives its detail
// (a temperature sensor reading in degrees F is in degrees F), else as its type's are.
constexpr RealUnit real_unit(std::uint32_t type, const SensorDetailRecord *detail) {
    if (detail) return {static_cast<double>(detail->divisor ? detail->divisor : 1), sensor_unit_name(detail->unit_code)};
    const ScaledUnit scale = sensor_type_facts(type).scale;
    return {scale.divisor, sensor_unit_name(scale.unit)};
}

}  // namespace mgx::hal
