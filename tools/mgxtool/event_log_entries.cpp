#include "event_log_entries.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "output.h"
#include "sensor_report.h"
#include "text/hex.h"

namespace mgx::tool {

using namespace mgx::hal;
using nlohmann::json;

namespace {

// "2026-11-30 08:15:00" (UTC), "unspecified", "3d 00:05:00 since initialisation" or "-".
std::string time_text(const EventRecord &record, Clock clock) {
    if (!record.has_timestamp()) return "-";
    const EventTimestamp &stamp = record.timestamp;
    char text[64];
    if (stamp.kind == TimestampKind::Unspecified) return "unspecified";
    if (stamp.kind == TimestampKind::SinceInitialisation) {
        const std::uint32_t s = stamp.seconds;
        if (s >= 86400)
            std::snprintf(text, sizeof text, "%ud %02u:%02u:%02u since initialisation", s / 86400, s / 3600 % 24, s / 60 % 60,
                          s % 60);
        else
            std::snprintf(text, sizeof text, "%02u:%02u:%02u since initialisation", s / 3600, s / 60 % 60, s % 60);
        return text;
    }
    return date_text(stamp.seconds, clock);
}

std::string with_unit(double value, const std::string &unit) { return real_text(value) + (unit.empty() ? "" : " " + unit); }

// "reading 92 degrees C > threshold 90 degrees C" for a threshold event that carries them.
std::string trigger_text(const EventLogEntry &entry) {
    const SystemEvent &event = entry.record.event;
    const bool above = event.reading_above_threshold();
    const auto part = [&](const char *what, const std::optional<double> &real, const std::optional<std::uint8_t> &raw) {
        if (real) return std::string(what) + " " + with_unit(*real, entry.unit);
        return std::string(what) + " raw " + text::hex_number(*raw, 2);
    };
    std::string text;
    if (event.trigger_reading()) text = part("reading", entry.trigger_reading, event.trigger_reading());
    if (event.trigger_threshold()) {
        if (!text.empty()) text += above ? " > " : " < ";
        text += part("threshold", entry.trigger_threshold, event.trigger_threshold());
    }
    return text;
}

std::string sensor_text(const EventLogEntry &entry) {
    const SystemEvent &event = entry.record.event;
    const std::string type(sensor_type_facts(event.sensor_type).name);
    const std::string number = sensor_number_text(event.sensor_number);
    if (!entry.sensor_name) return type + " " + number;
    const std::string name = type + " " + shown_text(latin1_text(*entry.sensor_name));
    if (entry.detail) return name + " (" + entity_text(entry.detail) + ")";
    return name + (entry.name_shared ? " " + number : "");
}

}  // namespace

std::string date_text(std::uint32_t seconds, Clock clock) {
    const std::time_t when = seconds;
    std::tm parts{};
    char text[48];
    if (clock == Clock::Utc) {
        gmtime_s(&parts, &when);
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
        return text;
    }
    localtime_s(&parts, &when);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    const long offset = static_cast<long>(_mkgmtime(&parts) - when) / 60;  // minutes east of UTC
    char zone[16];
    std::snprintf(zone, sizeof zone, " %c%02ld:%02ld", offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
    return text + std::string(zone);
}

EventLogEntry describe_event(const std::array<std::uint8_t, 16> &data, const SensorCatalogue &sensors) {
    EventLogEntry entry{data, *decode_event_record(data)};
    if (entry.record.kind != EventRecordKind::SystemEvent) return entry;
    const SystemEvent &event = entry.record.event;
    entry.text = event_text(event);
    entry.severity = event_severity(event);
    const CataloguedSensor *sensor = sensors.find(event.generator.owner_id(), event.generator.lun, event.sensor_number);
    if (!sensor) return entry;
    entry.sensor_name = std::string(sensor->record.name_bytes());
    entry.name_shared = sensor->shares_name;
    entry.detail = sensor->detail;
    if (reading_class(event.event_type) != ReadingClass::Threshold) return entry;
    entry.unit = sensor->unit().name;
    if (const auto raw = event.trigger_reading()) entry.trigger_reading = SensorCatalogue::real_value(*sensor, *raw);
    if (const auto raw = event.trigger_threshold()) entry.trigger_threshold = SensorCatalogue::real_value(*sensor, *raw);
    return entry;
}

json event_json(const EventLogEntry &entry) {
    const EventRecord &record = entry.record;
    json object = {{"record_id", record.record_id}, {"data", text::to_hex(entry.data)}, {"record_type", record.record_type}};
    if (record.has_timestamp()) {
        const auto date = record.date();
        object["timestamp"] = date ? json(*date) : json(nullptr);
        if (record.timestamp.kind == TimestampKind::SinceInitialisation)
            object["seconds_since_initialisation"] = record.timestamp.seconds;
    }
    if (record.kind == EventRecordKind::OemTimestamped) object["manufacturer_id"] = record.manufacturer_id;
    if (record.kind != EventRecordKind::SystemEvent) {
        if (!record.oem_data.empty()) object["oem_data"] = text::to_hex(record.oem_data);
        return object;
    }
    const SystemEvent &event = record.event;
    object["generator_id"] = event.generator.raw;
    object["evm_revision"] = event.evm_revision;
    object["sensor_type"] = event.sensor_type;
    object["sensor_type_name"] = sensor_type_facts(event.sensor_type).name;
    object["sensor_number"] = event.sensor_number;
    if (entry.sensor_name) put_outside_text(object, "sensor_name", *entry.sensor_name);
    if (entry.detail) {
        object["entity_id"] = entry.detail->entity_id;
        object["entity_instance"] = entry.detail->entity_instance;
    }
    object["event_type"] = event.event_type;
    object["direction"] = event.direction == EventDirection::Assertion ? "assertion" : "deassertion";
    object["offset"] = event.offset;
    object["event"] = entry.text;
    object["severity"] = severity_name(entry.severity);
    if (const auto raw = event.trigger_reading()) object["trigger_reading_raw"] = *raw;
    if (const auto raw = event.trigger_threshold()) object["trigger_threshold_raw"] = *raw;
    if (entry.trigger_reading) object["trigger_reading"] = *entry.trigger_reading;
    if (entry.trigger_threshold) object["trigger_threshold"] = *entry.trigger_threshold;
    if (entry.trigger_reading || entry.trigger_threshold) object["unit"] = entry.unit;
    if (const auto state = event.previous_state()) object["previous_state"] = *state;
    if (const auto offset = event.severity_offset()) object["severity_offset"] = *offset;
    return object;
}

std::string event_line(const EventLogEntry &entry, Clock clock) {
    const EventRecord &record = entry.record;
    char id[16];
    std::snprintf(id, sizeof id, "%5u", record.record_id);
    std::string line = std::string(id) + " | " + time_text(record, clock) + " | ";
    switch (record.kind) {
    case EventRecordKind::SystemEvent: {
        const SystemEvent &event = record.event;
        line += sensor_text(entry) + " | " + entry.text + " | " +
                (event.direction == EventDirection::Assertion ? "Asserted" : "Deasserted") + " | " +
                std::string(severity_name(entry.severity));
        if (const std::string trigger = trigger_text(entry); !trigger.empty()) line += " | " + trigger;
        break;
    }
    case EventRecordKind::OemTimestamped:
        line += "OEM record " + text::hex_number(record.record_type, 2) + " | manufacturer " +
                text::hex_number(record.manufacturer_id, 6) + " | " + text::to_hex(record.oem_data);
        break;
    case EventRecordKind::OemNonTimestamped:
        line += "OEM record " + text::hex_number(record.record_type, 2) + " | " + text::to_hex(record.oem_data);
        break;
    case EventRecordKind::Reserved:
        line += "reserved record type " + text::hex_number(record.record_type, 2) + " | " + text::to_hex(entry.data);
    }
    return line + "\n";
}

}  // namespace mgx::tool
