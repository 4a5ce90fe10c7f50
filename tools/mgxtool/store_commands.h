// "mgxtool defaults", "lifetime", "notify": the product key's store.
#pragma once

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

void add_store_commands(CLI::App &app, const OutputOptions &options);

}  // namespace mgx::tool
