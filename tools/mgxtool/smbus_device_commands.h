// The LCD panel controller and the RCI device chain on the SMBus, through Halcore's exports.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_smbus_device_commands(CLI::App &app, const OutputOptions &output);

}  // namespace mgx::tool
