// An IPMI-style request to the management unit and its answer, as the unit sees them.
#pragma once

#include <cstdint>
#include <vector>

namespace mgx::testbed {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t unit_target = 0x11;  // where the management unit answers on the SMBus

struct IpmiRequest {
    std::uint8_t network_function = 0;  // unshifted
    std::uint8_t command = 0;
    Bytes data;
    std::uint8_t target = unit_target;  // the SMBus target byte; the library paths carry none
};

struct IpmiAnswer {
    std::uint8_t completion_code = 0;
    Bytes data;
};

namespace completion {
inline constexpr std::uint8_t ok = 0x00;
inline constexpr std::uint8_t invalid_command = 0xC1;
inline constexpr std::uint8_t request_length_invalid = 0xC7;
inline constexpr std::uint8_t parameter_out_of_range = 0xC9;
inline constexpr std::uint8_t not_present = 0xCB;
inline constexpr std::uint8_t reservation_cancelled = 0xC5;
}  // namespace completion

}  // namespace mgx::testbed
