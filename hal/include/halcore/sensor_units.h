// The IPMI 2.0 sensor unit type codes, by the names the listings and events show: one table,
// read wherever a value is shown in its unit.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace mgx::hal {

namespace sensor_unit {
inline constexpr std::uint8_t unspecified = 0, degrees_c = 1, volts = 4, amps = 5, rpm = 18;
}  // namespace sensor_unit

namespace sensor_unit_table {
// clang-format off: in code order from 0x00; 0 (unspecified) is shown as no unit
inline constexpr std::array<std::string_view, 93> names = {{
    "",
    "degrees C",
    "degrees F",
    "degrees K",
    "V",
    "A",
    "W",
    "J",
    "coulombs",
    "VA",
    "nits",
    "lumen",
    "lux",
    "candela",
    "kPa",
    "PSI",
    "newton",
    "CFM",
    "RPM",
    "Hz",
    "microseconds",
    "milliseconds",
    "seconds",
    "minutes",
    "hours",
    "days",
    "weeks",
    "mil",
    "inches",
    "feet",
    "cu in",
    "cu feet",
    "mm",
    "cm",
    "m",
    "cu cm",
    "cu m",
    "liters",
    "fluid ounces",
    "radians",
    "steradians",
    "revolutions",
    "cycles",
    "gravities",
    "ounces",
    "pounds",
    "ft-lb",
    "oz-in",
    "gauss",
    "gilberts",
    "henry",
    "millihenry",
    "farad",
    "microfarad",
    "ohms",
    "siemens",
    "mole",
    "becquerel",
    "PPM",
    "reserved",
    "decibels",
    "dBA",
    "dBC",
    "gray",
    "sievert",
    "color temp deg K",
    "bits",
    "kilobits",
    "megabits",
    "gigabits",
    "bytes",
    "kilobytes",
    "megabytes",
    "gigabytes",
    "words",
    "dwords",
    "qwords",
    "lines",
    "hits",
    "misses",
    "retries",
    "resets",
    "overflows",
    "underruns",
    "collisions",
    "packets",
    "messages",
    "characters",
    "errors",
    "correctable errors",
    "uncorrectable errors",
    "fatal errors",
    "grams",
}};
// clang-format on
}  // namespace sensor_unit_table

// The name of unit code `code`; codes past the table are reserved.
constexpr std::string_view sensor_unit_name(std::uint8_t code) {
    return code < sensor_unit_table::names.size() ? sensor_unit_table::names[code] : "reserved";
}

}  // namespace mgx::hal
