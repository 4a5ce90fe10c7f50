// The event log's records from record ID 0 on, through Halcore's export and the event log
// library beside mgxtool.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace mgx::tool {

// The records and the status of the read that ended it (0 also for an empty log).
struct EventLogRead {
    std::vector<std::array<std::uint8_t, 16>> records;
    std::int32_t status = 0;
};

// The library's answer for an ID past the end or for an empty log.
inline constexpr std::int32_t no_such_record = 1;

// One record: the read's status, its bytes and the ID of the record after it (0xFFFF after the
// last).
struct EventLogEntryRead {
    std::int32_t status = 0;
    std::array<std::uint8_t, 16> record{};
    std::uint16_t next_id = 0;
};

// Halcore loads the library from the current folder when ID 0 (the first record) is asked for,
// so that read runs in mgxtool's own folder; the folder the run was started in is back before
// anything else is read. Other IDs are those the records before them named.
EventLogEntryRead read_event_log_entry(std::uint16_t record_id);

// The whole log, from record ID 0 on.
EventLogRead read_event_log();

}  // namespace mgx::tool
