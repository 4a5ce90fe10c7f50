// The control channel's commands: JSON objects {"command": NAME, ...} answered with
// {"ok": true, ...} or {"ok": false, "error": TEXT}.
#pragma once

#include <nlohmann/json.hpp>

#include "control_side.h"

namespace mgx::testbed {

nlohmann::json run_control_command(ControlSide &server, const nlohmann::json &request);

}  // namespace mgx::testbed
