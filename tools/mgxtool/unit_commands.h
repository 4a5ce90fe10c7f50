// "mgxtool init", "running-hours", "device-id", "raw": the management unit through Halcore.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_unit_commands(CLI::App &app, const OutputOptions &options);

}  // namespace mgx::tool
