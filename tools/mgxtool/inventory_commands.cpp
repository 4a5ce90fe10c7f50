#include "inventory_commands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <halcore/halcore.h>
#include <halcore/query_records.h>

#include "cli/input_parsing.h"
#include "halcore_session.h"
#include "severity.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;
using namespace mgx::hal;

namespace {

const char *const value_names[sensor_value_count] = {"resolution",
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

json value_json(std::int32_t value, std::uint32_t sensor_type) {
    if (value == no_value) return nullptr;
    const ScaledUnit unit = scaled_unit(sensor_type);
    return {{"scaled", value}, {"real", value / unit.divisor}, {"unit", unit.unit}};
}

std::string value_text(const json &value) {
    if (value.is_null()) return "-";
    std::string text = std::to_string(value["scaled"].get<std::int32_t>()) + " (" + real_text(value["real"].get<double>());
    if (!value["unit"].get<std::string>().empty()) text += " " + value["unit"].get<std::string>();
    return text + ")";
}

// One sensor: its record and its current value. The status of the value query is reported.
json describe_sensor(std::uint32_t type, std::uint32_t index, std::int32_t &status) {
    SensorInfoRecord record{};
    status = HCXGetSensorInfo(type, index, &record);
    if (status != 0) return nullptr;
    json sensor = {{"type", type},
                   {"index", index},
                   {"number", record.sensor_number()},
                   {"owner_id", record.owner_id()},
                   {"owner_lun", record.owner_lun()},
                   {"entity_id", record.entity_id},
                   {"kind", record.kind == SensorKind::Threshold ? "threshold" : "discrete"}};
    put_outside_text(sensor, "name", record.name_bytes());
    const std::uint32_t reading_type = record.current_value_reading_type();
    if (record.kind == SensorKind::Threshold) {
        const ThresholdKindBlock &block = record.kind_block.threshold;
        json thresholds = json::object();
        for (std::size_t i = 0; i < sensor_value_count; ++i) thresholds[value_names[i]] = value_json(block.values[i], type);
        sensor["values"] = thresholds;
        sensor["readable_mask"] = block.readable_mask;
    } else {
        const StateSetItem &state_set = record.kind_block.discrete.items[0];
        sensor["reading_type"] = reading_type;
        sensor["reading_mask"] = state_set.reading_mask;
    }
    std::int32_t value = 0;
    const std::int32_t value_status = HCXGetSensorCurrentVal(type, index, reading_type, &value);
    sensor["value_status"] = value_status;
    if (value_status == 0) {
        if (record.kind == SensorKind::Threshold) {
            sensor["value"] = value_json(value, type);
            if (value != no_value) sensor["state"] = severity_name(threshold_value_severity(record.kind_block.threshold, value));
        } else {
            sensor["value"] = {{"raw", static_cast<std::uint32_t>(value)},
                               {"scanning", value != discrete_value::not_scanning},
                               {"states", discrete_value::states(value)}};
            if (value != discrete_value::not_scanning)
                sensor["state"] = severity_name(discrete_states_severity(
                    static_cast<std::uint8_t>(reading_type), static_cast<std::uint8_t>(type), discrete_value::states(value)));
        }
    }
    return sensor;
}

std::string state_text(const json &sensor) { return sensor.contains("state") ? "  " + sensor["state"].get<std::string>() : ""; }

std::string sensor_line(const json &sensor) {
    char index[8], number[8];
    std::snprintf(index, sizeof index, "%3u", sensor["index"].get<unsigned>());
    std::snprintf(number, sizeof number, "#0x%02X", sensor["number"].get<unsigned>());
    std::string line = std::string(index) + "  " + padded(shown_text(sensor["name"].get<std::string>()), 18) + " " + number +
                       "  " + padded(sensor["kind"].get<std::string>(), 9) + " ";
    if (!sensor.contains("value"))
        return line + "no reading (status " + std::to_string(sensor["value_status"].get<int>()) + ")\n";
    if (sensor["kind"] == "discrete") {
        char states[48];
        if (sensor["value"]["scanning"].get<bool>())
            std::snprintf(states, sizeof states, "states 0x%02X", sensor["value"]["states"].get<unsigned>());
        else
            std::snprintf(states, sizeof states, "not scanning");
        return line + states + state_text(sensor) + "\n";
    }
    line += value_text(sensor["value"]);
    const json &values = sensor["values"];
    for (const char *name : {"lower_critical", "upper_critical"})
        if (!values[name].is_null()) line += std::string("  ") + name + " " + value_text(values[name]);
    return line + state_text(sensor) + "\n";
}

void list_sensors(const OutputOptions &output, std::uint32_t only_type) {
    with_unit(output, [only_type](json &document, std::ostringstream &text) {
        json types = json::array();
        for (std::uint32_t type = only_type ? only_type : 1; type <= (only_type ? only_type : 254); ++type) {
            std::int32_t count = 0;
            if (std::int32_t status = HCXGetSensorNumber(type, &count)) return status;
            if (count == 0) continue;
            json sensors = json::array();
            text << "sensor type " << type << " (" << count << ")\n";
            for (std::int32_t index = 1; index <= count; ++index) {
                std::int32_t status = 0;
                json sensor = describe_sensor(type, static_cast<std::uint32_t>(index), status);
                if (status != 0) return status;
                text << sensor_line(sensor);
                sensors.push_back(sensor);
            }
            types.push_back({{"type", type}, {"count", count}, {"sensors", sensors}});
        }
        document["types"] = types;
        return 0;
    });
}

void show_sensor(const OutputOptions &output, std::uint32_t type, std::uint32_t index) {
    with_unit(output, [type, index](json &document, std::ostringstream &text) {
        std::int32_t status = 0;
        json sensor = describe_sensor(type, index, status);
        if (status != 0) return status;
        document["sensor"] = sensor;
        text << sensor_line(sensor);
        if (sensor.contains("values"))
            for (const auto &[name, value] : sensor["values"].items()) text << "    " << name << " " << value_text(value) << "\n";
        return 0;
    });
}

const char *const slot_names[6] = {"name", "manufacturer", "part_or_model", "part_number", "serial_number", "version"};

// A field's text by its length, NUL bytes inside it kept; the terminator the library adds, and
// what its removal of leading blanks leaves behind, are not part of it.
std::string_view fru_text(const FruTextField &field) {
    std::string_view text(field.text, std::min<std::size_t>(field.length, sizeof field.text));
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    return text;
}

json record_json(const FruInventoryRecord &record) {
    json slots = json::object();
    for (std::size_t i = 0; i < 6; ++i) {
        const FruTextField &field = record.slots[i];
        if (field.length == 0 && field.text[0] == '\0') continue;
        put_outside_text(slots, slot_names[i], fru_text(field));
    }
    return slots;
}

// A record's texts, one "name: text" each, between `prefix` and `suffix`.
std::string slots_text(const json &slots, const std::string &prefix, const std::string &suffix) {
    std::string text;
    for (const auto &[name, value] : slots.items())
        if (!name.ends_with("_hex")) text += prefix + name + ": " + shown_text(value.get<std::string>()) + suffix;
    return text;
}

// Reads a list with `read(position, record)` until it answers 3; other statuses are failures.
template <typename Read>
std::int32_t read_list(json &list, std::ostringstream &text, const char *title, Read read) {
    list = json::array();
    text << title << "\n";
    for (std::uint32_t position = 1;; ++position) {
        FruInventoryRecord record{};
        const std::int32_t status = read(position, record);
        if (status == query_result::list_ended) break;
        if (status != 0) return status;
        list.push_back(record_json(record));
        text << slots_text(list.back(), "  ", "\n") << "  --\n";
    }
    if (list.empty()) text << "  (none)\n";
    return 0;
}

void list_inventory(const OutputOptions &output) {
    with_unit(output, [](json &document, std::ostringstream &text) {
        std::int32_t cursor = 0;
        if (std::int32_t status = read_list(document["general"], text, "general", [&](std::uint32_t, FruInventoryRecord &record) {
                return HCXGetInvFruInfo(&cursor, &record);
            }))
            return status;
        if (std::int32_t status =
                read_list(document["memory_modules"], text, "memory modules",
                          [](std::uint32_t index, FruInventoryRecord &record) { return HCXGetMemModFruInfo(index, &record); }))
            return status;
        if (std::int32_t status =
                read_list(document["processor_boards"], text, "processor boards",
                          [](std::uint32_t index, FruInventoryRecord &record) { return HCXGetProcFruInfo(index, &record); }))
            return status;
        // The power-supply list is reached through the power-supply sensors (type 8).
        std::int32_t supplies = 0;
        HCXGetSensorNumber(8, &supplies);
        json power = json::array();
        text << "power supplies (through the power-supply sensors)\n";
        for (std::int32_t index = 1; index <= supplies; ++index) {
            FruInventoryRecord record{};
            const std::int32_t status = HCXGetSensorFru(8, static_cast<std::uint32_t>(index), &record);
            power.push_back(
                {{"sensor_index", index}, {"status", status}, {"record", status == 0 ? record_json(record) : json(nullptr)}});
            text << "  sensor " << index << ": ";
            text << (status == 0 ? slots_text(power.back()["record"], "", "; ")
                                 : "no record (status " + std::to_string(status) + ")");
            text << "\n";
        }
        document["power_supplies"] = power;
        FruInventoryRecord chassis{};
        const std::int32_t status = HCXGetPhysContFruInfo(&chassis);
        if (status != 0 && status != query_result::list_ended) return status;
        document["chassis"] = status == 0 ? record_json(chassis) : json(nullptr);
        text << "chassis\n";
        text << (status == 0 ? slots_text(document["chassis"], "  ", "\n") : std::string("  (none)\n"));
        return 0;
    });
}

void show_security(const OutputOptions &output) {
    with_unit(output, [](json &document, std::ostringstream &text) {
        SecurityInfoRecord record{};
        if (std::int32_t status = HCXGetSysSecurityInfo(&record)) return status;
        document["words"] = {record.words[0], record.words[1], record.words[2], record.words[3]};
        document["chassis_status_bit"] = record.words[3] == 3;
        text << "security words " << record.words[0] << " " << record.words[1] << " " << record.words[2] << " " << record.words[3]
             << "\nchassis status byte 1, bit 1: " << (record.words[3] == 3 ? "set" : "clear") << "\n";
        return 0;
    });
}

struct SensorOptions {
    std::uint32_t type = 0, index = 0;
};

}  // namespace

void add_inventory_commands(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<SensorOptions>();
    CLI::App *sensors = app.add_subcommand("sensors", "every sensor by type: name, number, kind, value and thresholds");
    add_number(sensors, "--type", options->type, "only this sensor type (1 to 254)", 1, 254);
    sensors->callback([&output, options] { list_sensors(output, options->type); });
    CLI::App *sensor = app.add_subcommand("sensor", "one sensor: TYPE INDEX (index from 1)");
    add_number(sensor, "type", options->type, "sensor type (1 to 254)", 1, 254)->required();
    add_number(sensor, "index", options->index, "index within the type, from 1", 1, std::numeric_limits<std::int32_t>::max())
        ->required();
    sensor->callback([&output, options] { show_sensor(output, options->type, options->index); });
    app.add_subcommand("inventory", "the FRU inventory: general, memory, processor, power-supply and chassis records")
        ->callback([&output] { list_inventory(output); });
    app.add_subcommand("chassis-security", "the security information from the chassis status")->callback([&output] {
        show_security(output);
    });
}

}  // namespace mgx::tool
