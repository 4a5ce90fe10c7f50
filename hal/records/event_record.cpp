#include "event_record.h"

#include "event_record_layout.h"
#include "text/hex.h"

namespace mgx::hal {

namespace {

std::uint32_t little_endian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[at + i];
    return value;
}

EventDataUse data_use(unsigned code, std::uint8_t byte, ReadingClass kind) {
    switch (code & 0x03) {
    case 0: return EventDataUse::Unspecified;
    case 1:
        if (kind == ReadingClass::Threshold) return byte == 2 ? EventDataUse::TriggerReading : EventDataUse::TriggerThreshold;
        return byte == 2 ? EventDataUse::PreviousState : EventDataUse::Reserved;
    case 2: return EventDataUse::Oem;
    default: return EventDataUse::SensorSpecific;
    }
}

SystemEvent decode_system_event(std::span<const std::uint8_t> record) {
    SystemEvent event;
    event.timestamp = event_timestamp(little_endian(record, sel::timestamp, 4));
    const auto generator = static_cast<std::uint16_t>(little_endian(record, sel::generator_id, 2));
    event.generator = {generator, (generator & sel::generator_software) != 0, static_cast<std::uint8_t>((generator >> 1) & 0x7F),
                       static_cast<std::uint8_t>(generator >> 12), static_cast<std::uint8_t>((generator >> 8) & 0x03)};
    event.evm_revision = record[sel::evm_revision];
    event.sensor_type = record[sel::sensor_type];
    event.sensor_number = record[sel::sensor_number];
    const std::uint8_t direction_and_type = record[sel::event_type];
    event.event_type = direction_and_type & sel::event_type_mask;
    event.direction = direction_and_type & sel::deassertion ? EventDirection::Deassertion : EventDirection::Assertion;
    const std::uint8_t data1 = record[sel::event_data];
    const ReadingClass kind = reading_class(event.event_type);
    event.offset = data1 & sel::offset_mask;
    event.data2_use = data_use(data1 >> sel::data2_use_shift, 2, kind);
    event.data3_use = data_use(data1 >> sel::data3_use_shift, 3, kind);
    event.data2 = record[sel::event_data + 1];
    event.data3 = record[sel::event_data + 2];
    return event;
}

}  // namespace

std::optional<std::uint8_t> SystemEvent::previous_state() const {
    if (data2_use != EventDataUse::PreviousState || (data2 & 0x0F) == 0x0F) return std::nullopt;
    return data2 & 0x0F;
}
std::optional<std::uint8_t> SystemEvent::severity_offset() const {
    if (data2_use != EventDataUse::PreviousState || (data2 >> 4) == 0x0F) return std::nullopt;
    return data2 >> 4;
}
std::optional<std::uint8_t> SystemEvent::trigger_reading() const {
    return data2_use == EventDataUse::TriggerReading ? std::optional(data2) : std::nullopt;
}
std::optional<std::uint8_t> SystemEvent::trigger_threshold() const {
    return data3_use == EventDataUse::TriggerThreshold ? std::optional(data3) : std::nullopt;
}

EventTimestamp event_timestamp(std::uint32_t seconds) {
    if (seconds == sel::timestamp_unspecified) return {TimestampKind::Unspecified, 0};
    if (seconds <= sel::timestamp_since_initialisation_end) return {TimestampKind::SinceInitialisation, seconds};
    return {TimestampKind::Absolute, seconds};
}

std::optional<EventRecord> decode_event_record(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sel::record_size) return std::nullopt;
    const auto record = bytes.first(sel::record_size);
    EventRecord decoded;
    decoded.record_id = static_cast<std::uint16_t>(little_endian(record, sel::record_id, 2));
    decoded.record_type = record[sel::record_type];
    if (decoded.record_type == sel::system_event) {
        decoded.kind = EventRecordKind::SystemEvent;
        decoded.event = decode_system_event(record);
        decoded.timestamp = decoded.event.timestamp;
    } else if (decoded.record_type >= sel::oem_non_timestamped_first) {
        decoded.kind = EventRecordKind::OemNonTimestamped;
        decoded.oem_data.assign(record.begin() + sel::oem_non_timestamped_data, record.end());
    } else if (decoded.record_type >= sel::oem_timestamped_first) {
        decoded.kind = EventRecordKind::OemTimestamped;
        decoded.timestamp = event_timestamp(little_endian(record, sel::timestamp, 4));
        decoded.manufacturer_id = little_endian(record, sel::manufacturer_id, 3);
        decoded.oem_data.assign(record.begin() + sel::oem_timestamped_data, record.end());
    }
    return decoded;
}

std::string event_text(const SystemEvent &event) {
    if (const EventState *state = find_event_state(event.event_type, event.sensor_type, event.offset))
        return std::string(state->text);
    switch (reading_class(event.event_type)) {
    case ReadingClass::Oem:
        return "OEM event type " + text::hex_number(event.event_type) + ", offset " + text::hex_number(event.offset);
    case ReadingClass::SensorSpecific:
        return std::string(sensor_type_facts(event.sensor_type).name) + " offset " + text::hex_number(event.offset) +
               " (no text)";
    case ReadingClass::Unspecified: return "unspecified event type, offset " + text::hex_number(event.offset);
    default:
        return "event type " + text::hex_number(event.event_type) + " offset " + text::hex_number(event.offset) + " (no text)";
    }
}

Severity event_severity(const SystemEvent &event) {
    if (event.direction == EventDirection::Deassertion) return Severity::Nominal;
    const EventState *state = find_event_state(event.event_type, event.sensor_type, event.offset);
    return state ? state->severity : Severity::Nominal;
}

}  // namespace mgx::hal
