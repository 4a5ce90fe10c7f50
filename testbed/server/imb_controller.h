// The IMB driver's one request: an IPMI message to the unit (layout MgxtbImbMessage).
#pragma once

#include "device_reply.h"
#include "unit_port.h"

namespace mgx::testbed {

DeviceReply handle_imb_request(std::uint32_t code, const Bytes &input, std::uint32_t output_capacity, UnitPort &unit);

}  // namespace mgx::testbed
