// The system event log from the command line, through Halcore and the event log library.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_event_log_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
