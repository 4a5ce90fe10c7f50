#include "sensor_report.h"

#include <cstdio>
#include <string>
#include <vector>

#include <halcore/halcore.h>
#include <halcore/sensor_types.h>

#include "event_catalogue.h"
#include "output.h"
#include "text/hex.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::hal;

namespace {

std::uint8_t reading_type_of(const SensorReport &report) {
    return static_cast<std::uint8_t>(report.sensor.record.current_value_reading_type());
}

// A threshold sensor's value in its scaled units, and in its real units.
json scaled_json(std::int32_t value, const RealUnit &unit) {
    if (value == no_value) return nullptr;
    return {{"scaled", value}, {"real", unit.real(value)}, {"unit", unit.name}};
}

// A scaled value in its real unit, with the unit or without: "38 degrees C" or "38"; "na" for no
// value. A sensor without a unit has its values as the record converts them.
std::string real_value_text(std::int32_t value, const RealUnit &unit, bool with_unit = true) {
    if (value == no_value) return "na";
    return real_text(unit.real(value)) + (with_unit && !unit.name.empty() ? " " + std::string(unit.name) : "");
}

// The six thresholds as the standard tools list them, lowest first; "na" where the record does
// not mark one readable.
struct ThresholdColumn {
    const char *name;
    SensorValue value;
    std::uint8_t readable_bit;
};
constexpr ThresholdColumn threshold_columns[] = {{"lnr", LowerNonRecoverable, threshold_mask::lower_non_recoverable},
                                                 {"lcr", LowerCritical, threshold_mask::lower_critical},
                                                 {"lnc", LowerNonCritical, threshold_mask::lower_non_critical},
                                                 {"unc", UpperNonCritical, threshold_mask::upper_non_critical},
                                                 {"ucr", UpperCritical, threshold_mask::upper_critical},
                                                 {"unr", UpperNonRecoverable, threshold_mask::upper_non_recoverable}};

// The asserted states of a discrete sensor, each by its text in the event-state catalogue.
std::vector<std::string> asserted_states(const SensorReport &report) {
    const std::uint8_t states = discrete_value::states(report.value);
    std::vector<std::string> texts;
    for (std::uint8_t offset = 0; offset < 8; ++offset) {
        if (!(states & 1u << offset)) continue;
        const EventState *state =
            find_event_state(reading_type_of(report), static_cast<std::uint8_t>(report.sensor.type), offset);
        texts.push_back(state ? std::string(state->text) : "state " + std::to_string(offset));
    }
    return texts;
}

std::string discrete_text(const SensorReport &report) {
    if (report.value == discrete_value::not_scanning) return "not scanning";
    std::string text;
    for (const std::string &state : asserted_states(report)) text += (text.empty() ? "" : ", ") + state;
    return text.empty() ? "no state asserted" : text;
}

}  // namespace

SensorReport read_sensor(const CataloguedSensor &sensor) {
    SensorReport report{sensor, 0, 0, std::nullopt};
    report.value_status =
        HCXGetSensorCurrentVal(sensor.type, sensor.index, sensor.record.current_value_reading_type(), &report.value);
    if (report.value_status != query_result::ok) return report;
    if (report.threshold()) {
        if (report.value != no_value) report.state = threshold_value_severity(sensor.record.kind_block.threshold, report.value);
    } else if (report.value != discrete_value::not_scanning) {
        report.state = discrete_states_severity(reading_type_of(report), static_cast<std::uint8_t>(sensor.type),
                                                discrete_value::states(report.value));
    }
    return report;
}

json sensor_json(const SensorReport &report) {
    const SensorInfoRecord &record = report.sensor.record;
    const std::uint32_t type = report.sensor.type;
    json sensor = {{"type", type},
                   {"index", report.sensor.index},
                   {"number", record.sensor_number()},
                   {"owner_id", record.owner_id()},
                   {"owner_lun", record.owner_lun()},
                   {"entity_id", record.entity_id},
                   {"kind", report.threshold() ? "threshold" : "discrete"},
                   {"value_status", report.value_status}};
    put_outside_text(sensor, "name", record.name_bytes());
    if (const auto &detail = report.sensor.detail) sensor["entity_instance"] = detail->entity_instance;
    if (report.threshold()) {
        const ThresholdKindBlock &block = record.kind_block.threshold;
        json values = json::object();
        for (std::size_t i = 0; i < sensor_value_count; ++i)
            values[sensor_value_names[i]] = scaled_json(block.values[i], report.sensor.unit());
        sensor["values"] = values;
        sensor["readable_mask"] = block.readable_mask;
    } else {
        sensor["reading_type"] = reading_type_of(report);
        sensor["reading_mask"] = record.kind_block.discrete.items[0].reading_mask;
    }
    if (report.value_status == query_result::ok)
        sensor["value"] = report.threshold() ? scaled_json(report.value, report.sensor.unit())
                                             : json{{"raw", static_cast<std::uint32_t>(report.value)},
                                                    {"scanning", report.value != discrete_value::not_scanning},
                                                    {"states", discrete_value::states(report.value)},
                                                    {"state_texts", asserted_states(report)}};
    if (report.state) sensor["state"] = severity_name(*report.state);
    return sensor;
}

std::string sensor_number_text(std::uint8_t number) { return "#" + text::hex_number(number); }

std::string sensor_line(const SensorReport &report) {
    const SensorInfoRecord &record = report.sensor.record;
    char index[8];
    std::snprintf(index, sizeof index, "%3u", report.sensor.index);
    std::string line = std::string(index) + "  " + padded(shown_text(latin1_text(record.name_bytes())), 18) + " " +
                       sensor_number_text(record.sensor_number()) + "  " + padded(report.sensor.entity_text(), 6) + " ";
    if (report.value_status != query_result::ok)
        return line + "no reading (status " + std::to_string(report.value_status) + ")\n";
    const std::string state = report.state ? std::string(severity_name(*report.state)) : "";
    if (!report.threshold()) return line + padded(discrete_text(report), 40) + "  " + state + "\n";
    line += padded(real_value_text(report.value, report.sensor.unit()), 16) + " " + padded(state, 8);
    const ThresholdKindBlock &block = record.kind_block.threshold;
    for (const ThresholdColumn &column : threshold_columns)
        line += std::string("  ") + column.name + " " +
                real_value_text(block.readable_mask & column.readable_bit ? block.values[column.value] : no_value,
                                report.sensor.unit(), false);
    return line + "\n";
}

std::string sensor_value_lines(const SensorReport &report) {
    if (!report.threshold()) return "";
    std::string lines;
    for (std::size_t i = 0; i < sensor_value_count; ++i)
        lines += "    " + std::string(sensor_value_names[i]) + " " +
                 real_value_text(report.sensor.record.kind_block.threshold.values[i], report.sensor.unit()) + "\n";
    return lines;
}

std::string sensor_type_heading(std::uint32_t type, std::int32_t count) {
    return std::string(sensor_type_facts(type).name) + " (type " + std::to_string(type) + ", " + std::to_string(count) +
           (count == 1 ? " sensor)\n" : " sensors)\n");
}

}  // namespace mgx::tool
