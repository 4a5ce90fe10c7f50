// Records of the query exports (HCXGetSensor*, the FRU, power-supply, security and LCD
// queries) and what their results mean: caller-owned, packed and little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "status_codes.h"

namespace mgx::hal {

// The results of the query exports.
namespace query_result {
inline constexpr std::int32_t ok = status::ok;
inline constexpr std::int32_t failed = 1;        // the reading or request failed; no record
inline constexpr std::int32_t out_of_range = 2;  // sensor type or index outside what there is
inline constexpr std::int32_t list_ended = 3;    // no (further) record in the list
inline constexpr std::int32_t not_supported = 4;
inline constexpr std::int32_t no_table = status::interface_unavailable;  // 25
inline constexpr std::int32_t empty_slot = status::entry_point_missing;  // 27
inline constexpr std::int32_t bad_argument = status::bad_argument;       // 113
}  // namespace query_result

// The sixteen values of a threshold sensor, in their order in the sensor-info record.
enum SensorValue : std::size_t {
    Resolution,
    Tolerance,
    Accuracy,
    NominalReading,
    NormalMaximum,
    NormalMinimum,
    SensorMaximum,
    SensorMinimum,
    UpperNonRecoverable,
    UpperCritical,
    UpperNonCritical,
    LowerNonRecoverable,
    LowerCritical,
    LowerNonCritical,
    PositiveHysteresis,
    NegativeHysteresis,
    sensor_value_count
};

// The values' names as mgxtool and the metrics spell them, in the same order.
inline constexpr std::string_view sensor_value_names[sensor_value_count] = {"resolution",
                                                                            "tolerance",
                                                                            "accuracy",
                                                                            "nominal",
                                                                            "normal_max",
                                                                            "normal_min",
                                                                            "sensor_max",
                                                                            "sensor_min",
                                                                            "upper_non_recoverable",
                                                                            "upper_critical",
                                                                            "upper_non_critical",
                                                                            "lower_non_recoverable",
                                                                            "lower_critical",
                                                                            "lower_non_critical",
                                                                            "positive_hysteresis",
                                                                            "negative_hysteresis"};

enum class SensorKind : std::uint8_t { Threshold = 1, Discrete = 2 };

#pragma pack(push, 1)
// The kind block of a threshold sensor: its threshold masks (threshold_mask in sensor_types.h)
// and its sixteen values in their scaled units, no_value where
// the record gives none.
struct ThresholdKindBlock {
    std::uint8_t settable_mask;
    std::uint8_t readable_mask;
    std::int32_t values[sensor_value_count];
};

// One state set of a discrete sensor.
struct StateSetItem {
    std::uint8_t reading_type;  // event/reading type code
    std::uint16_t reading_mask;
};

// The kind block of a discrete sensor: one state set in item 0; items 1 and 2 are zero.
struct DiscreteKindBlock {
    std::uint32_t state_set_count;
    StateSetItem items[3];
};

// What the sensor-info query fills in for one sensor. Of the kind block a discrete sensor's
// record gets only its 13 bytes.
struct SensorInfoRecord {
    std::int32_t name_encoding;
    std::uint8_t name_length;
    char name[128];  // name_length bytes, no terminator
    SensorKind kind;
    std::int32_t entity_id;
    std::uint8_t capabilities;
    union {
        ThresholdKindBlock threshold;
        DiscreteKindBlock discrete;
    } kind_block;
    std::uint32_t address;  // sensor number | owner ID << 8 | owner LUN << 16

    // The name's bytes, never more than the field holds whatever name_length says.
    std::string_view name_bytes() const { return {name, name_length < sizeof name ? name_length : sizeof name}; }
    // The reading type its current value is asked with: 1 (threshold) for a threshold sensor,
    // else its state set's.
    std::uint32_t current_value_reading_type() const {
        return kind == SensorKind::Threshold ? 1 : kind_block.discrete.items[0].reading_type;
    }
    std::uint8_t sensor_number() const { return static_cast<std::uint8_t>(address); }
    std::uint8_t owner_id() const { return static_cast<std::uint8_t>(address >> 8); }
    std::uint8_t owner_lun() const { return static_cast<std::uint8_t>(address >> 16); }
};
#pragma pack(pop)
static_assert(sizeof(ThresholdKindBlock) == 66 && offsetof(ThresholdKindBlock, values) == 2, "ThresholdKindBlock layout");
static_assert(sizeof(StateSetItem) == 3 && sizeof(DiscreteKindBlock) == 13 && offsetof(DiscreteKindBlock, items) == 4,
              "DiscreteKindBlock layout");
static_assert(sizeof(SensorInfoRecord) == 209 && offsetof(SensorInfoRecord, name) == 5 &&
                  offsetof(SensorInfoRecord, kind) == 133 && offsetof(SensorInfoRecord, entity_id) == 134 &&
                  offsetof(SensorInfoRecord, kind_block) == 139 && offsetof(SensorInfoRecord, address) == 205,
              "SensorInfoRecord layout");

#pragma pack(push, 1)
// Where a sensor sits and what its scaled values are in, from its own repository record.
struct SensorDetailRecord {
    std::uint8_t entity_id;
    std::uint8_t entity_instance;  // bit 7 set: a logical entity
    std::uint8_t unit_code;        // the IPMI unit type code of its real values (0: unspecified)
    std::uint16_t divisor;         // a scaled value divided by it is in that unit (1 for discrete sensors)
};
#pragma pack(pop)
static_assert(sizeof(SensorDetailRecord) == 5 && offsetof(SensorDetailRecord, unit_code) == 2 &&
                  offsetof(SensorDetailRecord, divisor) == 3,
              "SensorDetailRecord layout");

// Marks a sensor value, threshold or index that is not available.
inline constexpr std::int32_t no_value = static_cast<std::int32_t>(0x80000000u);

// How a FRU text field's bytes are encoded.
enum class FruEncoding : std::uint32_t { BcdPlus = 1, Ascii8 = 3, Other = 4 };

#pragma pack(push, 1)
// One text of a FRU area: its encoding, its stored length (+1 when a terminator was added) and
// the text, NUL-terminated.
struct FruTextField {
    FruEncoding encoding;
    std::uint8_t length;
    char text[128];
};

// What every FRU query returns: six text slots whose meaning depends on the area (board,
// product or chassis) that filled the record.
struct FruInventoryRecord {
    FruTextField slots[6];
};

struct PowerSupplyInfoRecord {
    std::int32_t words[18];  // [0] the power unit's 1-based index among the power-unit sensors
    std::uint8_t last;
};

struct SecurityInfoRecord {
    std::int32_t words[4];  // [3]: 3 when the chassis reports bit 1 of its status byte 1, else 4
};

// The LCD panel's description: its line count and number steer the text query.
struct LcdInfoRecord {
    std::uint32_t line_count;
    std::uint32_t panel_number;
    FruTextField name;
    std::uint8_t reserved[4];  // the record is 145 bytes; these four are written as 0
};

using LcdTextRecord = FruTextField;  // its length is the number of text bytes read
#pragma pack(pop)
static_assert(sizeof(FruTextField) == 133 && offsetof(FruTextField, length) == 4 && offsetof(FruTextField, text) == 5,
              "FruTextField layout");
static_assert(sizeof(FruInventoryRecord) == 798, "FruInventoryRecord layout");
static_assert(sizeof(PowerSupplyInfoRecord) == 73 && offsetof(PowerSupplyInfoRecord, last) == 72, "PowerSupplyInfoRecord layout");
static_assert(sizeof(SecurityInfoRecord) == 16, "SecurityInfoRecord layout");
static_assert(sizeof(LcdInfoRecord) == 145 && offsetof(LcdInfoRecord, name) == 8, "LcdInfoRecord layout");

// A discrete sensor's current value: the flag bit, the state bits and the event/reading type
// asked for; a sensor that is not scanning reads not_scanning.
namespace discrete_value {
inline constexpr std::uint32_t flag = 0x80000000u;
inline constexpr std::int32_t not_scanning = 0x7FFFFFFF;
constexpr std::int32_t make(std::uint8_t states, std::uint8_t reading_type) {
    return static_cast<std::int32_t>(flag | static_cast<std::uint32_t>(states) << 8 | reading_type);
}
constexpr bool holds_states(std::int32_t value) { return (static_cast<std::uint32_t>(value) & flag) != 0; }
constexpr std::uint8_t states(std::int32_t value) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8); }
constexpr std::uint8_t reading_type(std::int32_t value) { return static_cast<std::uint8_t>(value); }
}  // namespace discrete_value

}  // namespace mgx::hal
