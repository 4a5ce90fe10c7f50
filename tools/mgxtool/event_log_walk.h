// Reading the event log on from where an earlier reading ended. The log library reads the first
// record and then the record each one names as the next, so a reader that kept where it ended
// (the log's first record, the last one taken and its ID) reads only what was added since,
// once the log still begins with that first record and still holds that last one where it was;
// a log cleared or replaced is read afresh from its first record.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace mgx::tool {

using EventLogRecordBytes = std::array<std::uint8_t, 16>;

inline constexpr std::uint32_t event_log_capacity = 0xFFFE;  // a log holds no more records

struct LogPosition {
    EventLogRecordBytes first{}, last{};
    std::uint16_t last_id = 0;  // the ID `last` was read with
    std::uint16_t next_id = 0;  // the ID after it, 0xFFFF when it was the log's last
    std::uint32_t taken = 0;    // records taken so far
};

struct WalkOutcome {
    std::int32_t status = 0;  // of the read that failed, 0 when none did
    std::uint32_t read = 0;   // records read this time
    bool resumed = false;     // went on from the position kept
    bool complete = false;    // read to the log's end
};

// Goes on from `position` to the log's end as far as `time_left` allows (asked before each
// record). When the log does not go on from it, `restart` is called and the walk begins at the
// first record; `take` gets each record read, in order.
WalkOutcome walk_event_log(LogPosition &position, const std::function<void()> &restart,
                           const std::function<void(const EventLogRecordBytes &)> &take, const std::function<bool()> &time_left);

}  // namespace mgx::tool
