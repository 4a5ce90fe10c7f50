// The management unit's system information and store area from the command line.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_unit_memory_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
