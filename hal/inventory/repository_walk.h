// The walk through the controller's sensor data record repository at the SMBus back end's
// start: sensor records go to the sensor cache, device locators to the FRU collector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mgx::hal {

// The walk's buffer: the 2-byte next-record ID, then the record from its first byte.
inline constexpr std::size_t walk_buffer_size = 128;
using WalkBuffer = std::array<std::uint8_t, walk_buffer_size>;

// Record IDs run from 0 to 0xFFFE (0xFFFF ends the chain), so no repository holds more records.
inline constexpr std::size_t max_repository_records = 0xFFFF;

namespace record_read {
inline constexpr std::int32_t ok = 0, failed = 1, no_such_record = 3, reservation_cancelled = 5;
inline constexpr std::int32_t too_long = 6;  // not read past its first piece; the walk goes on without it
}  // namespace record_read

// Reserves the repository and reads one record in pieces into `buffer`; `stored` is how many of
// its bytes hold what was read. 0, 1, 3 (0xCB), 5 (0xC5), too_long or the transport's status.
std::int32_t read_repository_record(std::uint16_t record_id, WalkBuffer &buffer, std::size_t &stored);

void walk_repository();

}  // namespace mgx::hal
