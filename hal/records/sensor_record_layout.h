// Where the fields of a sensor data record lie, counted from the record's first byte (its
// record ID): the header every record has, the full sensor record (the same in IPMI 1.0 to
// 2.0), Halcore's compact layout (the IPMI 1.0 one: a single record-sharing byte) and the
// compact layout of IPMI 1.5 and 2.0 (version 0x51: two record-sharing bytes).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal::sdr {

// A 16-bit field (a record ID, a reservation), least significant byte first.
constexpr std::uint16_t little_endian_16(const std::uint8_t *bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

// Every record.
inline constexpr std::size_t record_id = 0, version = 2, record_type = 3, body_length = 4, header_size = 5;
inline constexpr std::uint8_t full_sensor = 0x01, compact_sensor = 0x02, device_locator = 0x10;
inline constexpr std::uint8_t version_ipmi_1_5 = 0x51;

// Both sensor records.
inline constexpr std::size_t owner_id = 5, owner_lun = 6, sensor_number = 7, entity_id = 8, entity_instance = 9,
                             capabilities = 11, sensor_type = 12, reading_type = 13, base_unit = 21;

namespace full {
inline constexpr std::size_t readable_mask = 18, settable_mask = 19, units1 = 20, modifier_unit = 22, linearization = 23,
                             m_low = 24, m_high_tolerance = 25, b_low = 26, b_high_accuracy = 27, accuracy_high_exponent = 28,
                             exponents = 29, analog_flags = 30, nominal = 31, normal_maximum = 32, normal_minimum = 33,
                             sensor_maximum = 34, sensor_minimum = 35,
                             thresholds = 36,  // six: upper non-recoverable, critical, non-critical, then the lower ones
    positive_hysteresis = 42, negative_hysteresis = 43, id_type_length = 47, id_string = 48;
}  // namespace full

// Halcore's compact layout; a full record needing discrete decoding is rearranged into it.
namespace compact {
inline constexpr std::size_t reading_mask = 18, sharing = 23, positive_hysteresis = 24, negative_hysteresis = 25,
                             id_type_length = 30, id_string = 31;
inline constexpr std::size_t id_string_end = 46;  // the last byte a 16-character name can reach
}  // namespace compact

namespace compact_ipmi_1_5 {
inline constexpr std::size_t sharing = 23, positive_hysteresis = 25, negative_hysteresis = 26, id_type_length = 31;
}  // namespace compact_ipmi_1_5

}  // namespace mgx::hal::sdr
