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

// Halcore loads the library from the current folder, so the first read runs in mgxtool's own
// folder; the folder the run was started in is back before anything else is read.
EventLogRead read_event_log();

}  // namespace mgx::tool
