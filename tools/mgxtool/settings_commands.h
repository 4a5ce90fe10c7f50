// The management unit's settings and stores from the command line: safe power-off mode, boot
// monitoring, system information, store area, FRU areas, fans and the front panel.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_settings_commands(CLI::App &app, const OutputOptions &options);

}  // namespace mgx::tool
