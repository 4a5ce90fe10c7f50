// The request record that HCXGetCompleteSELInfo hands on to the outside event log library
// sfs.dll: the record ID to read (0: the first), the ID of the record after it (written; 0xFFFF
// after the last) and the 16-byte record itself (written).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

#pragma pack(push, 1)
struct EventLogRequest {
    std::uint16_t record_id;
    std::uint16_t next_record_id;
    std::uint8_t record[16];
};
#pragma pack(pop)
static_assert(sizeof(EventLogRequest) == 20);
static_assert(offsetof(EventLogRequest, next_record_id) == 2);
static_assert(offsetof(EventLogRequest, record) == 4);

inline constexpr std::uint16_t event_log_last_record = 0xFFFF;

}  // namespace mgx::hal
