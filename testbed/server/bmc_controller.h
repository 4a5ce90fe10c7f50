// The BMC driver's requests: IPMI messages to the unit and the physical memory window.
#pragma once

#include "device_reply.h"
#include "physical_memory.h"
#include "unit_port.h"

namespace mgx::testbed {

DeviceReply handle_bmc_request(std::uint32_t code, const Bytes &input, std::uint32_t output_capacity, UnitPort &unit,
                               const PhysicalMemory &memory);

}  // namespace mgx::testbed
