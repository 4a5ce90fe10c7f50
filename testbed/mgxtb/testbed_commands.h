// mgxtb's commands: look at and steer the virtual server, one table of subcommands.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/report.h"

namespace mgx::testbed {

void add_testbed_commands(CLI::App &app, const cli::OutputOptions &options);

}  // namespace mgx::testbed
