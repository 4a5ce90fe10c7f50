// FRU areas, fans and the front panel from the command line.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_hardware_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
