// mgxtool metrics: the unit's state in the Prometheus text exposition format.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_metrics_command(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
