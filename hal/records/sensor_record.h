// Sensor data records of the controller's repository, decoded into what the sensor queries
// answer: pure functions over the record's bytes, which never read past them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include <halcore/query_records.h>

namespace mgx::hal {

// What a threshold sensor's scaled values are in: a value divided by `divisor` is in the unit of
// IPMI unit type code `code`.
struct ReadingUnit {
    std::uint16_t divisor = 1;
    std::uint8_t code = 0;
};

struct SensorDescription {
    std::uint32_t name_encoding = 0;
    std::uint8_t name_length = 0;
    std::array<char, 128> name{};
    SensorKind kind = SensorKind::Threshold;
    std::uint8_t entity_id = 0;
    std::uint8_t capabilities = 0;
    std::uint8_t base_unit = 0;
    // Threshold sensors.
    std::uint8_t settable_mask = 0, readable_mask = 0;
    std::array<std::int32_t, sensor_value_count> values{};
    // Discrete sensors: one state set, item 0 filled.
    std::uint32_t state_set_count = 0;
    std::array<StateSetItem, 3> state_sets{};
    std::uint8_t sensor_type = 0, owner_id = 0, owner_lun = 0;
    double multiplier = 0, offset = 0, result_factor = 0;  // M', B', R'
    std::uint8_t linearization = 0;
    std::uint8_t conversion_flags = 0;  // bits 7..6 analog data format (01 1's, else non-zero 2's complement), bit 0 divide by R'
    std::uint16_t share_count = 0;
    std::uint8_t entity_instance = 0, sensor_number = 0;
    ReadingUnit unit{};  // threshold sensors
};

// The factor the reading conversion is scaled by, from sensor units 1, base and modifier unit.
double scale_factor(std::uint8_t units1, std::uint8_t base_unit, std::uint8_t modifier_unit);
// The unit that factor puts the values in: revolutions per a time are scaled to tenths of RPM.
ReadingUnit reading_unit(std::uint8_t units1, std::uint8_t base_unit, std::uint8_t modifier_unit);

// A raw reading in the sensor's scaled units, truncated toward zero. Values beyond the signed
// 32-bit range are clamped to -2147483647 and 2147483647, so a reading never looks like no_value.
std::int32_t convert_reading(const SensorDescription &sensor, std::uint8_t raw);

// A threshold (type 0x01) or discrete (type 0x01 or 0x02) record from its first byte on; nullopt
// for a record the event/reading type and record type leave undecoded. Bytes past the end of
// `record` read as 0, except in the name, which ends where the record does. Compact records of version 0x51 are read in the
// IPMI 1.5 and 2.0 layout, those of other versions in Halcore's own (the IPMI 1.0 layout).
std::optional<SensorDescription> decode_sensor_record(std::span<const std::uint8_t> record);

// The sensor-info record: only name-length bytes of the name, and for discrete sensors only the
// 13 bytes of their kind block.
void fill_sensor_info(const SensorDescription &sensor, SensorInfoRecord &record);

}  // namespace mgx::hal
