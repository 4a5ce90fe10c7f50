// The system event log from the command line, through Halcore and the event log library.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

// The event log's records from record ID 0 on, through Halcore's export and the event log
// library beside mgxtool, and the status of the read that ended it (0 also for an empty log).
struct EventLogRead {
    std::vector<std::array<std::uint8_t, 16>> records;
    std::int32_t status = 0;
};
EventLogRead read_event_log();

void add_event_log_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
