// The common pattern of the management-unit commands: one network-function 0x3A request,
// transport status or completion code as the result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mgx_message.h"

namespace mgx::hal {

inline constexpr std::uint8_t unit_network_function = 0x3A;

// 0 with the answer in `response`, the transport's status, or the unit's completion code.
std::int32_t unit_command(std::uint8_t command, const std::uint8_t *data, std::size_t length, MgxResponse &response);

inline std::uint32_t little_endian_32(const std::uint8_t *bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void put_little_endian_32(std::uint8_t *bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace mgx::hal
