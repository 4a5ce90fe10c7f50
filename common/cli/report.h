// How a command-line program's subcommand reports: a JSON document for scripts (--json) or
// readable text.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace mgx::cli {

struct OutputOptions {
    bool json = false;
};

// Prints `document` as JSON, or `text` when JSON was not asked for.
void report(const OutputOptions &options, const nlohmann::json &document, const std::string &text);

}  // namespace mgx::cli
