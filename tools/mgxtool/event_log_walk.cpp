#include "event_log_walk.h"

#include <halcore/event_log_record.h>

#include "event_log_read.h"

namespace mgx::tool {

WalkOutcome walk_event_log(LogPosition &position, const std::function<void()> &restart,
                           const std::function<void(const EventLogRecordBytes &)> &take, const std::function<bool()> &time_left) {
    WalkOutcome outcome;
    const EventLogEntryRead first = read_event_log_entry(0);  // loads the library, and tells a log begun anew
    const auto taken = [&](const EventLogRecordBytes &record, std::uint16_t id, std::uint16_t next) {
        if (position.taken == 0) position.first = record;
        ++position.taken;
        position.last = record;
        position.last_id = id;
        position.next_id = next;
        take(record);
        ++outcome.read;
    };
    if (first.status == no_such_record) {  // an empty log
        position = LogPosition{};
        restart();
        outcome.complete = true;
        return outcome;
    }
    if (first.status != 0) {
        outcome.status = first.status;
        return outcome;
    }
    if (position.taken > 0 && position.first == first.record) {
        const EventLogEntryRead last = position.last_id == 0 ? first : read_event_log_entry(position.last_id);
        outcome.resumed = last.status == 0 && last.record == position.last;
        if (outcome.resumed) position.next_id = last.next_id;  // records may have been added behind it
    }
    if (!outcome.resumed) {
        position = LogPosition{};
        restart();
        taken(first.record, 0, first.next_id);
    }
    while (position.next_id != hal::event_log_last_record && position.taken < event_log_capacity && time_left()) {
        const std::uint16_t id = position.next_id;
        const EventLogEntryRead entry = read_event_log_entry(id);
        if (entry.status != 0) {
            outcome.status = entry.status;
            break;
        }
        taken(entry.record, id, entry.next_id);
    }
    outcome.complete =
        outcome.status == 0 && (position.next_id == hal::event_log_last_record || position.taken >= event_log_capacity);
    return outcome;
}

}  // namespace mgx::tool
