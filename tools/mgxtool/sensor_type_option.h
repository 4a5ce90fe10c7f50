// A sensor type as a person gives it on the command line: its number or its name.
#pragma once

#include <CLI/CLI.hpp>

namespace mgx::tool {

// Checks an option's text as a sensor type, 1 to 254 or a name of the sensor-type table (case,
// blanks and hyphens aside: "power-supply", "Power Supply"), and turns it into the number.
CLI::Validator sensor_type_named();

}  // namespace mgx::tool
