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
// Index, name, number, kind, value, the critical thresholds and the state, on one line.
std::string sensor_line(const SensorReport &report);
// Every value of a threshold sensor's record, one "    name value" line each.
std::string sensor_value_lines(const SensorReport &report);

}  // namespace mgx::tool
