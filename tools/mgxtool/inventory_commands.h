// FRU inventory and chassis security from the command line, through Halcore's query
// exports (answered by the SMBus back end itself, or by sensor.dll on IMB machines).
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_inventory_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
