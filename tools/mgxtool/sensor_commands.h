// The machine's sensors from the command line, through Halcore's query exports: every sensor by
// type, or one, with its value, thresholds and state.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_sensor_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
