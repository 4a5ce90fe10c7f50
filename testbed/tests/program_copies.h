// Runs a copy of a test program under another file name, for behaviour that depends on the
// program's name.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace mgx::testbed::testing {

// Copies `program` (beside this test) to a temporary folder as `name`, runs it with
// `arguments` and returns what it printed, parsed as JSON (null when it printed no JSON).
nlohmann::json run_copy_named(const std::string &program, const std::string &name, const std::string &arguments = "");

// Runs a command line to its end; its exit code, or -1 when it could not be started.
int run_to_end(const std::string &command_line);

}  // namespace mgx::testbed::testing
