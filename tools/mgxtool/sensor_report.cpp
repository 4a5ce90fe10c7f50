#include "sensor_report.h"

#include <cstdio>

#include <halcore/halcore.h>
#include <halcore/sensor_types.h>

#include "output.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::hal;

namespace {

std::uint8_t reading_type_of(const SensorReport &report) {
    return static_cast<std::uint8_t>(report.sensor.record.current_value_reading_type());
}

// A threshold sensor's value in its scaled units, and in its type's real units.
json scaled_json(std::int32_t value, std::uint32_t sensor_type) {
    if (value == no_value) return nullptr;
    const ScaledUnit unit = sensor_type_facts(sensor_type).scale;
    return {{"scaled", value}, {"real", value / unit.divisor}, {"unit", unit.unit}};
}

std::string scaled_text(std::int32_t value, std::uint32_t sensor_type) {
    if (value == no_value) return "-";
    const ScaledUnit unit = sensor_type_facts(sensor_type).scale;
    std::string text = std::to_string(value) + " (" + real_text(value / unit.divisor);
    if (*unit.unit) text += std::string(" ") + unit.unit;
    return text + ")";
}

std::string discrete_text(const SensorReport &report) {
    if (report.value == discrete_value::not_scanning) return "not scanning";
    char states[24];
    std::snprintf(states, sizeof states, "states 0x%02X", discrete_value::states(report.value));
    return states;
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
    if (report.threshold()) {
        const ThresholdKindBlock &block = record.kind_block.threshold;
        json values = json::object();
        for (std::size_t i = 0; i < sensor_value_count; ++i) values[sensor_value_names[i]] = scaled_json(block.values[i], type);
        sensor["values"] = values;
        sensor["readable_mask"] = block.readable_mask;
    } else {
        sensor["reading_type"] = reading_type_of(report);
        sensor["reading_mask"] = record.kind_block.discrete.items[0].reading_mask;
    }
    if (report.value_status == query_result::ok)
        sensor["value"] = report.threshold() ? scaled_json(report.value, type)
                                             : json{{"raw", static_cast<std::uint32_t>(report.value)},
                                                    {"scanning", report.value != discrete_value::not_scanning},
                                                    {"states", discrete_value::states(report.value)}};
    if (report.state) sensor["state"] = severity_name(*report.state);
    return sensor;
}

std::string sensor_line(const SensorReport &report) {
    const SensorInfoRecord &record = report.sensor.record;
    char index[8], number[8];
    std::snprintf(index, sizeof index, "%3u", report.sensor.index);
    std::snprintf(number, sizeof number, "#0x%02X", record.sensor_number());
    std::string line = std::string(index) + "  " + padded(shown_text(latin1_text(record.name_bytes())), 18) + " " + number +
                       "  " + padded(report.threshold() ? "threshold" : "discrete", 9) + " ";
    if (report.value_status != query_result::ok)
        return line + "no reading (status " + std::to_string(report.value_status) + ")\n";
    if (report.threshold()) {
        line += scaled_text(report.value, report.sensor.type);
        for (const SensorValue threshold : {LowerCritical, UpperCritical})
            if (record.kind_block.threshold.values[threshold] != no_value)
                line += "  " + std::string(sensor_value_names[threshold]) + " " +
                        scaled_text(record.kind_block.threshold.values[threshold], report.sensor.type);
    } else {
        line += discrete_text(report);
    }
    if (report.state) line += "  " + std::string(severity_name(*report.state));
    return line + "\n";
}

std::string sensor_value_lines(const SensorReport &report) {
    if (!report.threshold()) return "";
    std::string lines;
    for (std::size_t i = 0; i < sensor_value_count; ++i)
        lines += "    " + std::string(sensor_value_names[i]) + " " +
                 scaled_text(report.sensor.record.kind_block.threshold.values[i], report.sensor.type) + "\n";
    return lines;
}

}  // namespace mgx::tool
