// The virtual server's device side: one request from a stand-in driver, answered by the
// machine's hardware and recorded in the exchange log.
#pragma once

#include "device_reply.h"
#include "virtual_server.h"

namespace mgx::testbed {

DeviceReply handle_device_request(VirtualServer &server, const DeviceRequest &request);

}  // namespace mgx::testbed
