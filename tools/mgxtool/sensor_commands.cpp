#include "sensor_commands.h"

#include <limits>
#include <memory>
#include <string>

#include <halcore/halcore.h>
#include <halcore/sensor_types.h>

#include "cli/input_parsing.h"
#include "halcore_session.h"
#include "sensor_report.h"
#include "sensor_type_option.h"

namespace mgx::tool {

using namespace mgx::cli;
using nlohmann::json;
using namespace mgx::hal;

namespace {

void list_sensors(const OutputOptions &output, std::uint32_t only_type) {
    with_unit(output, [only_type](json &document, std::ostringstream &text) {
        const SensorCatalogue catalogue = SensorCatalogue::read(only_type);
        json types = json::array();
        auto sensor = catalogue.sensors().begin();
        for (const SensorCatalogue::TypeCount &type : catalogue.types()) {
            text << sensor_type_heading(type.type, type.count);
            json sensors = json::array();
            for (; sensor != catalogue.sensors().end() && sensor->type == type.type; ++sensor) {
                const SensorReport report = read_sensor(*sensor);
                text << sensor_line(report);
                sensors.push_back(sensor_json(report));
            }
            types.push_back({{"type", type.type}, {"count", type.count}, {"sensors", sensors}});
        }
        document["types"] = types;
        return catalogue.status();
    });
}

void show_sensor(const OutputOptions &output, std::uint32_t type, std::uint32_t index) {
    with_unit(output, [type, index](json &document, std::ostringstream &text) {
        CataloguedSensor sensor{type, index, {}};
        if (std::int32_t status = HCXGetSensorInfo(type, index, &sensor.record)) return status;
        const SensorReport report = read_sensor(sensor);
        document["sensor"] = sensor_json(report);
        text << sensor_line(report) << sensor_value_lines(report);
        return 0;
    });
}

struct SensorOptions {
    std::uint32_t type = 0, index = 0;
};

}  // namespace

void add_sensor_commands(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<SensorOptions>();
    CLI::App *sensors = app.add_subcommand("sensors", "every sensor by type: name, number, kind, value and thresholds");
    sensors->add_option("--type", options->type, "only this sensor type: 1 to 254 or its name (temperature, fan, ...)")
        ->transform(sensor_type_named());
    sensors->callback([&output, options] { list_sensors(output, options->type); });
    CLI::App *sensor = app.add_subcommand("sensor", "one sensor: TYPE INDEX (index from 1)");
    add_number(sensor, "type", options->type, "sensor type (1 to 254)", sensor_type::first, sensor_type::last)->required();
    add_number(sensor, "index", options->index, "index within the type, from 1", 1, std::numeric_limits<std::int32_t>::max())
        ->required();
    sensor->callback([&output, options] { show_sensor(output, options->type, options->index); });
}

}  // namespace mgx::tool
