// The management unit's safe power-off mode and boot monitoring from the command line.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_power_and_boot_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
