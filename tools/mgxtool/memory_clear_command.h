// `memory-clear`: the memory-error information cleared after a faulty module was replaced, as
// the main menu's button does it.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_memory_clear_command(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
