// The bmc library's IPMI pass-through as Halcore binds it at run time.
#pragma once

#include <cstdint>

namespace mgx::hal {

// request: responder address, command, network function << 2 | LUN, data length, data.
// answer: completion code, then data; *length in: capacity, out: bytes returned. 0 on success.
using IpmiCmdFunction = std::uint32_t (*)(std::uint8_t *request, std::uint8_t *answer, std::uint32_t *length,
                                          std::uint32_t timeout);

}  // namespace mgx::hal
