// "mgxtool smbios" and "mgxtool driver start|stop": the firmware table through the bmc library,
// and driver services through Halcore.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_platform_commands(CLI::App &app, const OutputOptions &options);

}  // namespace mgx::tool
