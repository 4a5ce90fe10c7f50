// The sources of mgxtool metrics: the unit (its settings, sensors and FRU inventory, through one
// Halcore session), the event log, and the wear parts kept in the product key. Each adds its
// series and its mgx_up to the collection.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "collected_metrics.h"

namespace mgx::tool {

// The run's time budget: what it leaves unread is NaN.
class Budget {
public:
    using Clock = std::chrono::steady_clock;
    explicit Budget(int seconds) : end_(Clock::now() + std::chrono::seconds(seconds)) {}
    bool left() const { return Clock::now() < end_; }
    DWORD left_ms() const {
        return static_cast<DWORD>(
            std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count()));
    }

private:
    Clock::time_point end_;
};

// The sources as they report themselves in mgx_up{collector}.
inline constexpr const char *unit_collector = "unit", *sensors_collector = "sensors", *fru_collector = "fru",
                            *sel_collector = "sel", *wear_parts_collector = "wear_parts";

void collect_from_unit(CollectedMetrics &out, const Budget &budget);
// The series of a source that was not read (all NaN), for the sources whose series are known
// before they are read: the unit, the FRU inventory, the event log.
void write_not_read(Exposition &out, const char *collector);
// The event log, counted on from the tally kept in `state` (a file of the collector's own) when
// one is given, within the budget: a log not counted to its end this run is NaN, and the next
// run goes on where this one stopped.
void collect_event_log(CollectedMetrics &out, const Budget &budget, const std::optional<std::filesystem::path> &state);
void collect_wear_parts(CollectedMetrics &out);

}  // namespace mgx::tool
