// What the codes of an event and a discrete sensor's states mean: the text and severity of every
// state of the generic event/reading types and of every sensor-specific offset, as the IPMI 2.0
// tables give them. One table, read by the event log's decoder, the sensor listing and the
// metrics; the sensor types' names are in halcore/sensor_types.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include <halcore/sensor_types.h>

#include "severity.h"

namespace mgx::hal {

// Event/reading type codes and the classes they fall into.
namespace reading_type {
inline constexpr std::uint8_t unspecified = 0x00, threshold = 0x01, generic_first = 0x02, generic_last = 0x0C,
                              sensor_specific = 0x6F, oem_first = 0x70, oem_last = 0x7F;
}  // namespace reading_type

enum class ReadingClass { Unspecified, Threshold, Generic, SensorSpecific, Oem, Reserved };
ReadingClass reading_class(std::uint8_t reading_type);

// One state: its event/reading type, the sensor type it belongs to (sensor-specific states
// only; 0 for the others), its offset, its text and how bad its assertion is.
struct EventState {
    std::uint8_t reading_type;
    std::uint8_t sensor_type;
    std::uint8_t offset;
    std::string_view text;
    Severity severity;
};

std::span<const EventState> event_states();

// The state an offset names for a sensor of that type read with that event/reading type;
// nullptr where the tables give none.
const EventState *find_event_state(std::uint8_t reading_type, std::uint8_t sensor_type, std::uint8_t offset);

}  // namespace mgx::hal
