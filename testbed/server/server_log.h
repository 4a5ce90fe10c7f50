// The server's own diagnostic log (start, stop, profile changes, malformed frames).
#pragma once

#include <filesystem>
#include <string>

namespace mgx::testbed {

void open_server_log(const std::filesystem::path &file);
// Appends one time-stamped line; does nothing before open_server_log.
void server_log(const std::string &line);

}  // namespace mgx::testbed
