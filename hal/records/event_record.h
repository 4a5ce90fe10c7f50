// System event log records, decoded: a pure function over the bytes that were read, which
// never reads past them, and what the decoded event means (its text and its severity).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "event_catalogue.h"

namespace mgx::hal {

enum class EventRecordKind { SystemEvent, OemTimestamped, OemNonTimestamped, Reserved };

enum class TimestampKind { Unspecified, SinceInitialisation, Absolute };
struct EventTimestamp {
    TimestampKind kind = TimestampKind::Unspecified;
    std::uint32_t seconds = 0;  // since 1970 (UTC) or since the controller's initialisation
};

struct GeneratorId {
    std::uint16_t raw = 0;
    bool software = false;  // a system software ID rather than an IPMB slave address
    std::uint8_t id = 0;    // the 7-bit slave address or software ID
    std::uint8_t channel = 0;
    std::uint8_t lun = 0;
    // The owner ID as sensor records give it: the 7-bit slave address or software ID shifted left,
    // bit 0 set for a software ID.
    std::uint8_t owner_id() const { return static_cast<std::uint8_t>(raw); }
};

enum class EventDirection { Assertion, Deassertion };

// What event data 2 or 3 holds, as event data 1 says.
enum class EventDataUse { Unspecified, TriggerReading, TriggerThreshold, PreviousState, Oem, SensorSpecific, Reserved };

struct SystemEvent {
    EventTimestamp timestamp;
    GeneratorId generator;
    std::uint8_t evm_revision = 0, sensor_type = 0, sensor_number = 0, event_type = 0;
    EventDirection direction = EventDirection::Assertion;
    std::uint8_t offset = 0;
    EventDataUse data2_use = EventDataUse::Unspecified, data3_use = EventDataUse::Unspecified;
    std::uint8_t data2 = 0xFF, data3 = 0xFF;

    // A discrete event's previous state and severity offsets (data 2 bits 3..0 and 7..4), where
    // data 2 holds them and they are not 0xF (unspecified).
    std::optional<std::uint8_t> previous_state() const;
    std::optional<std::uint8_t> severity_offset() const;
    // Threshold events: the raw reading and threshold, where the event data carry them.
    std::optional<std::uint8_t> trigger_reading() const;
    std::optional<std::uint8_t> trigger_threshold() const;
    // A threshold event's reading against its threshold: odd offsets are the going-high ones, so
    // an assertion of one was above its threshold and a deassertion has fallen below it again.
    bool reading_above_threshold() const { return (offset & 1) != (direction == EventDirection::Deassertion); }
};

struct EventRecord {
    std::uint16_t record_id = 0;
    std::uint8_t record_type = 0;
    EventRecordKind kind = EventRecordKind::Reserved;
    SystemEvent event;                   // SystemEvent records
    EventTimestamp timestamp;            // SystemEvent and OemTimestamped records
    std::uint32_t manufacturer_id = 0;   // OemTimestamped records
    std::vector<std::uint8_t> oem_data;  // OEM records: 6 or 13 bytes

    // System events and OEM timestamped records carry a timestamp.
    bool has_timestamp() const { return kind == EventRecordKind::SystemEvent || kind == EventRecordKind::OemTimestamped; }
    // Its date in seconds since 1970 (UTC), where it carries an absolute one.
    std::optional<std::uint32_t> date() const {
        if (!has_timestamp() || timestamp.kind != TimestampKind::Absolute) return std::nullopt;
        return timestamp.seconds;
    }
};

// A record of 16 bytes or more (the first 16 are read); nullopt for fewer.
std::optional<EventRecord> decode_event_record(std::span<const std::uint8_t> record);

// seconds as the timestamp kind it is.
EventTimestamp event_timestamp(std::uint32_t seconds);

// The event's text: its state's from the table, else one that names the offset and the type.
std::string event_text(const SystemEvent &event);

// How bad the event is: its state's severity when asserted, nominal when deasserted and for a
// state the tables rate nowhere (OEM and reserved types, unknown offsets).
Severity event_severity(const SystemEvent &event);

}  // namespace mgx::hal
