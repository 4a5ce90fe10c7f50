// "mgxtool log add|show" and "mgxtool registry get|set": the logging and registry access libraries.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_support_commands(CLI::App &app, const OutputOptions &options);

}  // namespace mgx::tool
