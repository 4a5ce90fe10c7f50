// `lifetime`: the wear parts' lifetime record, where each part stands, and a part's change
// recorded as the component lifetime dialog records it (the monitoring service is told).
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_lifetime_command(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
