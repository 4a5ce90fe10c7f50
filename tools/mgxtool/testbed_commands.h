// "mgxtool testbed ...": look at and steer the virtual server.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_testbed_commands(CLI::App &app, const OutputOptions &options);

}  // namespace mgx::tool
