// One sensor as mgxtool reports it: its record and what its current-value query answered, read
// once and rendered as a line of text or as JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "sensor_catalogue.h"
#include "severity.h"

namespace mgx::tool {

struct SensorReport {
    CataloguedSensor sensor;
    std::int32_t value_status;  // the current-value query's status
    std::int32_t value;         // what it read, when value_status is 0
    std::optional<hal::Severity> state;

    bool threshold() const { return sensor.record.kind == hal::SensorKind::Threshold; }
};

SensorReport read_sensor(const CataloguedSensor &sensor);

nlohmann::json sensor_json(const SensorReport &report);
// Index, name, number, entity ("10.2" where the library gives it), the reading in its unit (a
// discrete sensor's asserted states by name), the state and the six thresholds (lnr lcr lnc unc
// ucr unr, "na" where the record has none), on one line; the scaled values are in the JSON.
std::string sensor_line(const SensorReport &report);
// Every value of a threshold sensor's record in its unit, one "    name value" line each.
std::string sensor_value_lines(const SensorReport &report);
// A sensor's number as the listings show it: "#0x41".
std::string sensor_number_text(std::uint8_t number);
// "Temperature (type 1, 8 sensors)".
std::string sensor_type_heading(std::uint32_t type, std::int32_t count);

}  // namespace mgx::tool
