// The product key in the registry from the command line: defaults, the lifetime record and the
// notification switches.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_product_key_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
