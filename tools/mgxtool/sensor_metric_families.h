// The series a threshold sensor is published under, by its sensor type and unit, named as the
// community's IPMI exporter names them: its reading in base units and its state. A sensor whose
// type has no family of its own, or whose record reads in another unit (a temperature in
// degrees F), is published as a generic sensor with a type label.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include <halcore/sensor_types.h>

namespace mgx::tool {

struct MetricFamily {
    std::string_view value_name, value_help, state_name;
    bool operator==(const MetricFamily &) const = default;
};

inline constexpr MetricFamily generic_sensor_family{"sensor_value", "sensor reading as the sensor's record converts it",
                                                    "sensor_state"};

struct TypedFamily {
    std::uint8_t type, unit;  // the sensor type and the unit code its values must be in
    MetricFamily family;
};
inline constexpr std::array<TypedFamily, 4> sensor_families = {{
    {hal::sensor_type::temperature,
     hal::sensor_unit::degrees_c,
     {"temperature_celsius", "temperature sensor reading in degrees Celsius", "temperature_state"}},
    {hal::sensor_type::voltage, hal::sensor_unit::volts, {"voltage_volts", "voltage sensor reading in volts", "voltage_state"}},
    {hal::sensor_type::current,
     hal::sensor_unit::amps,
     {"current_amperes", "current sensor reading in amperes", "current_state"}},
    {hal::sensor_type::fan,
     hal::sensor_unit::rpm,
     {"fan_speed_rpm", "fan speed sensor reading in revolutions per minute", "fan_speed_state"}},
}};

constexpr MetricFamily metric_family(std::uint32_t type, std::string_view unit) {
    for (const TypedFamily &entry : sensor_families)
        if (entry.type == type && hal::sensor_unit_name(entry.unit) == unit) return entry.family;
    return generic_sensor_family;
}

}  // namespace mgx::tool
