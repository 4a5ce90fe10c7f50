// The request record of the event log library sfs.dll (the testbed's stand-in and its callers):
// record ID (0 = the first record), the next record's ID (written; 0xFFFF after the last), the
// 16-byte record (written).
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct SelEntryRequest {
    std::uint16_t record_id;
    std::uint16_t next_record_id;
    std::uint8_t record[16];
};
#pragma pack(pop)
static_assert(sizeof(SelEntryRequest) == 20, "SelEntryRequest layout");

inline constexpr std::uint16_t sel_last_record = 0xFFFF;
