// What the metrics publish of the event log (its entries, its system events by severity, the
// newest date), counted record by record and kept between runs in a small state file of the
// collector's own, so a run reads only the records added since the last one. The file is never
// trusted blindly: it must be whole and sound, and the log's first record and the last record
// counted must still be what they were, or the count starts again from the first record.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "event_log_walk.h"

namespace mgx::tool {

struct EventLogTally {
    std::array<std::uint32_t, 3> by_severity{};  // system events: nominal, warning, critical
    std::uint32_t latest = 0;                    // the newest date a record carries; 0 when none
    std::uint16_t latest_critical_id = 0;        // the record ID of the last critical event counted; 0 when none
    LogPosition position;                        // where the count ended; its records taken are the entries
    bool complete = false;                       // counted to the log's end

    std::uint32_t entries() const { return position.taken; }
    void add(const EventLogRecordBytes &record);
};

// Brings `tally` up to the log's end as far as `time_left` allows, going on from where it ended
// when the log still goes on from there, else counting afresh.
WalkOutcome update_tally(EventLogTally &tally, const std::function<bool()> &time_left);

// The tally kept in `file`, or nullopt for a file that is missing, of another size or version,
// damaged, or whose counts cannot be.
std::optional<EventLogTally> load_tally(const std::filesystem::path &file);
// Writes it beside and moves it over `file`; false when that fails.
bool save_tally(const std::filesystem::path &file, const EventLogTally &tally);

}  // namespace mgx::tool
