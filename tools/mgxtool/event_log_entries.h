// The event log's records as mgxtool shows them: each decoded once, with its sensor's name and
// its trigger values in real units where the library knows the sensor, and rendered as one line
// of text or one JSON object.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "event_record.h"
#include "sensor_catalogue.h"

namespace mgx::tool {

// A record as the listings show it, its meaning decided once: text and JSON render these fields,
// and the filter reads them, instead of each looking the event up again.
struct EventLogEntry {
    std::array<std::uint8_t, 16> data;
    hal::EventRecord record;
    std::string text{};                                            // a system event's text from the state tables
    hal::Severity severity = hal::Severity::Nominal;               // and how bad it is
    std::optional<std::string> sensor_name{};                      // the sensor record's bytes
    std::optional<double> trigger_reading{}, trigger_threshold{};  // in the unit
    std::string unit{};                                            // of the trigger values; empty where they have none
    bool name_shared = false;                                      // another sensor has the name: the line adds the number
    std::optional<hal::SensorDetailRecord> detail{};               // the sensor's entity, where the library gives it
};

EventLogEntry describe_event(const std::array<std::uint8_t, 16> &data, const SensorCatalogue &sensors);

nlohmann::json event_json(const EventLogEntry &entry);
// Which clock a listing gives dates in: UTC, as the log keeps them, or this machine's time zone.
enum class Clock { Utc, Local };

// One line a record: its ID, its date ("2026-11-28 09:12:05 UTC", or local with its offset
// "2026-11-28 18:12:05 +09:00"), the sensor, the event, its direction, severity and triggers.
std::string event_line(const EventLogEntry &entry, Clock clock = Clock::Utc);

// A date of the log as event_line gives it.
std::string date_text(std::uint32_t seconds, Clock clock);

}  // namespace mgx::tool
