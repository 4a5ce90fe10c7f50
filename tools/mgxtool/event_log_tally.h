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

namespace mgx::tool {

using EventLogRecordBytes = std::array<std::uint8_t, 16>;

struct EventLogTally {
    std::uint32_t entries = 0;
    std::array<std::uint32_t, 3> by_severity{};  // system events: nominal, warning, critical
    std::uint32_t latest = 0;                    // the newest date a record carries; 0 when none
    EventLogRecordBytes first{}, last{};         // the log's first record and the last one counted
    std::uint16_t last_id = 0;                   // the ID `last` was read with
    std::uint16_t next_id = 0;                   // the ID after it, 0xFFFF when it was the last
    bool complete = false;                       // counted to the log's end

    void add(const EventLogRecordBytes &record, std::uint16_t read_with, std::uint16_t next);
};

// The outcome of bringing a tally up to date.
struct TallyRead {
    std::int32_t status = 0;  // of the read that failed, 0 when none did
    std::uint32_t read = 0;   // records read this time
    bool resumed = false;     // the kept tally was sound and went on from where it ended
};

// Brings `tally` up to the log's end as far as `time_left` allows (asked before each record):
// resumed from it when the log still begins and goes on as it counted, else counted afresh.
TallyRead update_tally(EventLogTally &tally, const std::function<bool()> &time_left);

// The tally kept in `file`, or nullopt for a file that is missing, of another size or version,
// damaged, or whose counts cannot be.
std::optional<EventLogTally> load_tally(const std::filesystem::path &file);
// Writes it beside and moves it over `file`; false when that fails.
bool save_tally(const std::filesystem::path &file, const EventLogTally &tally);

}  // namespace mgx::tool
