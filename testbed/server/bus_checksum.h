// The checksum of the SMBus devices' packets, the unit's and the LCD panel controller's alike:
// the two's complement of the byte sum, so that the bytes and it add up to 0.
#pragma once

#include <cstdint>

namespace mgx::testbed::smbus {

inline std::uint8_t complement(std::uint32_t sum) { return static_cast<std::uint8_t>(0x100 - (sum & 0xFF)); }

}  // namespace mgx::testbed::smbus
