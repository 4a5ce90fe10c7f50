// Running a program as a Windows service of its own process.
#pragma once

#include <functional>
#include <string>

namespace mgx::win32 {

// Connects to the service manager as the service `name`: reports start-pending, runs `start`
// (which sets the service's work going and returns; an exception makes the start fail), reports
// running, and returns once the manager asks the service to stop. Returns the program's exit
// code. `stopped` runs before the final "stopped" report.
int run_as_service(const std::string &name, std::function<void()> start, std::function<void()> stopped = {});

}  // namespace mgx::win32
