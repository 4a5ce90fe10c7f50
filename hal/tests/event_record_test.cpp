// Event log records decoded on their bytes: every record kind, the timestamp kinds, the
// generator, both directions, what the event data hold, the texts and severities of the table,
// and the severity of sensor states.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "event_record.h"
#include "severity.h"

namespace mgx::hal {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A system event record, laid out by hand from the IPMI 2.0 table: ID 0x0102, the timestamp,
// generator 0x0020 (the controller, channel 0, LUN 0), EvM revision 4, then the event.
Bytes system_event(std::uint32_t time, std::uint8_t sensor_type, std::uint8_t sensor_number, std::uint8_t direction_and_type,
                   std::uint8_t data1, std::uint8_t data2 = 0xFF, std::uint8_t data3 = 0xFF) {
    return {0x02,
            0x01,
            0x02,
            static_cast<std::uint8_t>(time),
            static_cast<std::uint8_t>(time >> 8),
            static_cast<std::uint8_t>(time >> 16),
            static_cast<std::uint8_t>(time >> 24),
            0x20,
            0x00,
            0x04,
            sensor_type,
            sensor_number,
            direction_and_type,
            data1,
            data2,
            data3};
}

TEST(EventRecord, SystemEventsCarryTheirFieldsAndTheirThresholdTriggers) {
    // 0x6372D2B0 = 2022-11-14 23:43:44 UTC; CPU temperature 0x30 past its upper critical
    // threshold: reading 0x5C in byte 2, threshold 0x5A in byte 3.
    const auto record = decode_event_record(system_event(0x6372D2B0, 0x01, 0x30, 0x01, 0x59, 0x5C, 0x5A));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->record_id, 0x0102);
    EXPECT_EQ(record->kind, EventRecordKind::SystemEvent);
    const SystemEvent &event = record->event;
    EXPECT_EQ(event.timestamp.kind, TimestampKind::Absolute);
    EXPECT_EQ(event.timestamp.seconds, 0x6372D2B0u);
    EXPECT_EQ(event.generator.owner_id(), 0x20);
    EXPECT_FALSE(event.generator.software);
    EXPECT_EQ(event.evm_revision, 4);
    EXPECT_EQ(event.sensor_type, 1);
    EXPECT_EQ(event.sensor_number, 0x30);
    EXPECT_EQ(event.direction, EventDirection::Assertion);
    EXPECT_EQ(event.offset, 9);
    EXPECT_EQ(event.trigger_reading(), 0x5C);
    EXPECT_EQ(event.trigger_threshold(), 0x5A);
    EXPECT_FALSE(event.previous_state());
    EXPECT_EQ(event_text(event), "Upper Critical going high");
    EXPECT_EQ(event_severity(event), Severity::Critical);

    Bytes deasserted = system_event(0x6372D2B0, 0x01, 0x30, 0x81, 0x07, 0x40, 0x41);
    const SystemEvent cleared = decode_event_record(deasserted)->event;
    EXPECT_EQ(cleared.direction, EventDirection::Deassertion);
    EXPECT_EQ(event_text(cleared), "Upper Non-critical going high");
    EXPECT_EQ(event_severity(cleared), Severity::Nominal) << "a deasserted threshold is nominal";
    EXPECT_FALSE(cleared.trigger_reading()) << "event data 1 bits 7..4 say bytes 2 and 3 are unspecified";
    EXPECT_FALSE(cleared.trigger_threshold());
}

TEST(EventRecord, TimestampsCountFrom1970FromInitialisationOrAreUnspecified) {
    const auto kind_of = [](std::uint32_t time) {
        return decode_event_record(system_event(time, 0x12, 1, 0x6F, 0x05))->event.timestamp;
    };
    EXPECT_EQ(kind_of(0xFFFFFFFF).kind, TimestampKind::Unspecified);
    EXPECT_EQ(kind_of(0).kind, TimestampKind::SinceInitialisation);
    EXPECT_EQ(kind_of(0x20000000).kind, TimestampKind::SinceInitialisation);
    EXPECT_EQ(kind_of(0x20000000).seconds, 0x20000000u);
    EXPECT_EQ(kind_of(0x20000001).kind, TimestampKind::Absolute);
}

TEST(EventRecord, GeneratorSoftwareIdChannelAndLun) {
    Bytes bytes = system_event(0, 0x0F, 1, 0x6F, 0x02);
    bytes[7] = 0x41;  // software ID 0x20
    bytes[8] = 0x53;  // channel 5, LUN 3
    const GeneratorId generator = decode_event_record(bytes)->event.generator;
    EXPECT_TRUE(generator.software);
    EXPECT_EQ(generator.id, 0x20);
    EXPECT_EQ(generator.channel, 5);
    EXPECT_EQ(generator.lun, 3);
    EXPECT_EQ(generator.raw, 0x5341);
}

TEST(EventRecord, DiscreteEventsGiveTheirStateTextPreviousStateAndSeverity) {
    struct Case {
        std::uint8_t sensor_type, event_type, data1, data2;
        const char *text;
        Severity severity;
    };
    const Case cases[] = {
        {0x08, 0x6F, 0x00, 0xFF, "Presence detected", Severity::Nominal},
        {0x08, 0x6F, 0x01, 0xFF, "Power Supply Failure detected", Severity::Critical},
        {0x0C, 0x6F, 0x00, 0xFF, "Correctable ECC / other correctable memory error", Severity::Warning},
        {0x09, 0x0B, 0x42, 0x70, "Redundancy Degraded", Severity::Warning},
        {0x10, 0x6F, 0x02, 0xFF, "Log Area Reset/Cleared", Severity::Nominal},
        {0x23, 0x6F, 0x01, 0xFF, "Hard Reset", Severity::Critical},
        {0x07, 0x6F, 0x0E, 0xFF, "Processor offset 0x0E (no text)", Severity::Nominal},
        {0x02, 0x0D, 0x00, 0xFF, "event type 0x0D offset 0x00 (no text)", Severity::Nominal},
        {0x02, 0x71, 0x03, 0xFF, "OEM event type 0x71, offset 0x03", Severity::Nominal},
        {0x02, 0x00, 0x01, 0xFF, "unspecified event type, offset 0x01", Severity::Nominal},
    };
    for (const Case &c : cases) {
        const SystemEvent event =
            decode_event_record(system_event(0x6372D2B0, c.sensor_type, 7, c.event_type, c.data1, c.data2))->event;
        EXPECT_EQ(event_text(event), c.text);
        EXPECT_EQ(event_severity(event), c.severity) << c.text;
    }
    const SystemEvent degraded = decode_event_record(system_event(0, 0x09, 1, 0x0B, 0x42, 0x70))->event;
    EXPECT_EQ(degraded.previous_state(), 0);
    EXPECT_EQ(degraded.severity_offset(), 7);
    EXPECT_FALSE(degraded.trigger_reading()) << "a discrete event's byte 2 holds states, not a reading";
    const SystemEvent oem = decode_event_record(system_event(0, 0x09, 1, 0x6F, 0xA1, 0x12, 0x34))->event;
    EXPECT_EQ(oem.data2_use, EventDataUse::Oem);
    EXPECT_EQ(oem.data3_use, EventDataUse::Oem);
}

TEST(EventRecord, OemAndReservedRecordsKeepTheirData) {
    const Bytes timestamped = {0x05, 0x00, 0xC1, 0x00, 0x00, 0x00, 0x64, 0x7C, 0x2A, 0x00, 0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02};
    const auto first = decode_event_record(timestamped);
    EXPECT_EQ(first->kind, EventRecordKind::OemTimestamped);
    EXPECT_EQ(first->timestamp.kind, TimestampKind::Absolute);
    EXPECT_EQ(first->timestamp.seconds, 0x64000000u);
    EXPECT_EQ(first->manufacturer_id, 0x002A7Cu);
    EXPECT_EQ(first->oem_data, Bytes({0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02}));

    Bytes plain(16);
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i);
    plain[2] = 0xE0;
    const auto second = decode_event_record(plain);
    EXPECT_EQ(second->kind, EventRecordKind::OemNonTimestamped);
    EXPECT_EQ(second->oem_data, Bytes(plain.begin() + 3, plain.end()));
    plain[2] = 0x03;
    EXPECT_EQ(decode_event_record(plain)->kind, EventRecordKind::Reserved);
}

TEST(EventRecord, NoRecordFromFewerThanSixteenBytes) {
    const Bytes bytes = system_event(0, 1, 1, 1, 0);
    EXPECT_FALSE(decode_event_record(std::span(bytes).first(15)));
    EXPECT_FALSE(decode_event_record({}));
}

TEST(EventCatalogue, EveryStateIsFoundAndEveryTextIsItsOwn) {
    std::set<std::tuple<int, int, int>> seen;
    for (const EventState &state : event_states()) {
        EXPECT_EQ(find_event_state(state.reading_type, state.sensor_type, state.offset), &state);
        EXPECT_FALSE(state.text.empty());
        EXPECT_TRUE(seen.insert({state.reading_type, state.sensor_type, state.offset}).second);
    }
    EXPECT_EQ(find_event_state(0x01, 0x77, 0x09)->text, "Upper Critical going high") << "generic types ignore the sensor type";
    EXPECT_EQ(find_event_state(0x6F, 0x01, 0x00), nullptr) << "a threshold sensor type has no sensor-specific states";
    EXPECT_EQ(find_event_state(0x01, 0x01, 0x0C), nullptr);
    EXPECT_EQ(sensor_type_facts(0x08).name, "Power Supply");
    EXPECT_EQ(sensor_type_facts(0x2C).name, "FRU State");
    EXPECT_EQ(sensor_type_facts(0x2D).name, "reserved");
    EXPECT_EQ(sensor_type_facts(0xC0).name, "OEM reserved");
}

TEST(Severity, SensorStatesAreRatedAsTheirWorstAssertedState) {
    EXPECT_EQ(discrete_states_severity(0x6F, 0x08, 0x0001), Severity::Nominal) << "a power supply that is present";
    EXPECT_EQ(discrete_states_severity(0x6F, 0x08, 0x0005), Severity::Warning) << "present, input out of range";
    EXPECT_EQ(discrete_states_severity(0x6F, 0x08, 0x0003), Severity::Critical) << "present and failed";
    EXPECT_EQ(discrete_states_severity(0x0B, 0x09, 0x0001), Severity::Nominal) << "fully redundant";
    EXPECT_EQ(discrete_states_severity(0x6F, 0x0C, 0x8000), Severity::Nominal) << "an offset without a state";

    ThresholdKindBlock block{};
    block.readable_mask = threshold_mask::upper_non_critical | threshold_mask::upper_critical | threshold_mask::lower_critical;
    block.values[UpperNonCritical] = 800;
    block.values[UpperCritical] = 900;
    block.values[LowerCritical] = 50;
    block.values[UpperNonRecoverable] = 100;  // not readable: never counts
    EXPECT_EQ(threshold_value_severity(block, 380), Severity::Nominal);
    EXPECT_EQ(threshold_value_severity(block, 800), Severity::Warning);
    EXPECT_EQ(threshold_value_severity(block, 900), Severity::Critical);
    EXPECT_EQ(threshold_value_severity(block, 50), Severity::Critical);
}

}  // namespace
}  // namespace mgx::hal
