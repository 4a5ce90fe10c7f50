// An answer as the BMC and IMB drivers return it: completion code, then data.
#pragma once

#include <string>

#include "device_reply.h"
#include "unit_port.h"

namespace mgx::testbed {

// Passes the request to the unit (a fail-write fault fails it first) and frames the answer,
// failing with buffer_too_small when it does not fit the caller's output.
DeviceReply deliver_answer(DeviceKind device, const IpmiRequest &request, std::uint32_t output_capacity, UnitPort &unit,
                           std::string note);

}  // namespace mgx::testbed
