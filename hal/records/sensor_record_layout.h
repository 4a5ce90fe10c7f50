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

// The bits inside those fields.
namespace bits {
inline constexpr std::uint8_t entity_logical = 0x10;                   // entity instance: a logical entity
inline constexpr std::uint8_t name_length = 0x3F;                      // ID string type/length: the length
inline constexpr unsigned name_type_shift = 6;                         // ... and the type above it
inline constexpr std::uint8_t analog_data_format = 0xC0;               // units 1: 00 unsigned, 01 1's, 10 2's complement
inline constexpr std::uint8_t analog_ones_complement = 0x40;           // units 1
inline constexpr unsigned rate_unit_shift = 3, rate_unit_mask = 0x07;  // units 1: none, per microsecond, ms, s, minute, ...
inline constexpr unsigned modifier_unit_shift = 1, modifier_unit_mask = 0x03;  // units 1: none, divide, multiply
inline constexpr std::uint8_t high_two_bits = 0xC0;                            // M and B: bits 9..8 above the low byte
inline constexpr std::uint8_t tolerance = 0x3F, accuracy_low = 0x3F;           // beside the high bits of M and B
inline constexpr unsigned accuracy_exponent_shift = 2, accuracy_exponent_mask = 0x03;
inline constexpr std::uint8_t nominal_specified = 0x01, normal_maximum_specified = 0x02, normal_minimum_specified = 0x04;
}  // namespace bits

// The unit codes of the IPMI 2.0 unit type table that scale a reading.
namespace unit_code {
inline constexpr std::uint8_t degrees_c = 1, degrees_f = 2, degrees_k = 3, volts = 4, amps = 5, rpm = 18, revolutions = 41;
inline constexpr std::uint8_t microsecond = 20, millisecond = 21, second = 22;  // as modifier units
}  // namespace unit_code

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
