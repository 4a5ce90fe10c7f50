// Which records of the event log a listing shows: a time window, a least severity, a sensor type.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "event_log_entries.h"
#include "severity.h"

namespace mgx::tool {

struct EventLogFilter {
    std::optional<std::uint32_t> since, until;  // seconds since 1970 (UTC), both inclusive
    std::optional<hal::Severity> at_least;
    std::optional<std::uint8_t> sensor_type;

    bool any() const { return since || until || at_least || sensor_type; }
    // A time window admits only records with a date; a severity or a type only system events.
    bool admits(const EventLogEntry &entry) const;
};

// "2026-12-01", "2026-12-01T08:00", "2026-12-01 08:00:05" (UTC), or a time before `now`: "90s",
// "30m", "24h", "7d". nullopt for anything else.
std::optional<std::uint32_t> parse_event_time(std::string_view text, std::time_t now);

}  // namespace mgx::tool
