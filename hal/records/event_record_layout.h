// Where the fields of a system event log record lie (IPMI 2.0, 16 bytes): the record ID and
// type every record has, then the system event record's fields, or an OEM record's.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal::sel {

inline constexpr std::size_t record_size = 16;

// Every record.
inline constexpr std::size_t record_id = 0, record_type = 2;
inline constexpr std::uint8_t system_event = 0x02, oem_timestamped_first = 0xC0, oem_non_timestamped_first = 0xE0;

// The system event record (record type 0x02) and the OEM timestamped one share the timestamp.
inline constexpr std::size_t timestamp = 3, generator_id = 7, evm_revision = 9, sensor_type = 10, sensor_number = 11,
                             event_type = 12, event_data = 13;  // three bytes
inline constexpr std::uint32_t timestamp_unspecified = 0xFFFFFFFF;
inline constexpr std::uint32_t timestamp_since_initialisation_end =
    0x20000000;  // up to this, seconds since the controller's start

// Generator ID: byte 1 bit 0 tells an IPMB slave address (0) from a system software ID (1) in
// bits 7..1; byte 2 holds the channel in bits 7..4 and the LUN in bits 1..0.
inline constexpr std::uint8_t generator_software = 0x01;
// Event Dir / Event Type: bit 7 set for a deassertion, bits 6..0 the event/reading type.
inline constexpr std::uint8_t deassertion = 0x80, event_type_mask = 0x7F;
// Event data 1: bits 7..6 say what byte 2 holds, bits 5..4 what byte 3 holds, bits 3..0 the offset.
inline constexpr std::uint8_t offset_mask = 0x0F;
inline constexpr unsigned data2_use_shift = 6, data3_use_shift = 4;

// OEM timestamped records (0xC0 to 0xDF): the manufacturer ID (three bytes, least significant
// first), then six bytes of OEM data.
inline constexpr std::size_t manufacturer_id = 7, oem_timestamped_data = 10;
// OEM non-timestamped records (0xE0 to 0xFF): thirteen bytes of OEM data.
inline constexpr std::size_t oem_non_timestamped_data = 3;

}  // namespace mgx::hal::sel
