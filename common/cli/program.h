// The frame of a command-line program with subcommands (mgxtool, the testbed's mgxtb).
#pragma once

#include <CLI/CLI.hpp>

#include "cli/report.h"

namespace mgx::cli {

// One subcommand is required; --json makes every report a JSON document; a Linux path such as
// /tmp/dump.sdr is an argument, not a Windows-style option.
void prepare_program(CLI::App &app, OutputOptions &options);

// Parses the command line and runs what it names: 0; CLI11's message and exit code for a command
// line it refuses; "NAME: reason" on stderr and 1 for any other failure.
// The arguments are taken from the wide command line, in UTF-8 whatever the ANSI code page.
int run_program(CLI::App &app);

}  // namespace mgx::cli
