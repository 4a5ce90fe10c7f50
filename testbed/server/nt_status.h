// Completion statuses the virtual server hands the drivers, and what each means here.
#pragma once

#include <cstdint>

namespace mgx::testbed::nt {

inline constexpr std::int32_t success = 0;
inline constexpr std::int32_t unsuccessful = static_cast<std::int32_t>(0xC0000001);            // driver start refused
inline constexpr std::int32_t invalid_parameter = static_cast<std::int32_t>(0xC000000D);       // malformed request
inline constexpr std::int32_t invalid_device_request = static_cast<std::int32_t>(0xC0000010);  // unknown request code
inline constexpr std::int32_t buffer_too_small = static_cast<std::int32_t>(0xC0000023);        // answer does not fit
inline constexpr std::int32_t lock_not_granted = static_cast<std::int32_t>(0xC0000055);        // bus held by another owner
inline constexpr std::int32_t io_timeout = static_cast<std::int32_t>(0xC00000B5);              // the unit did not answer
inline constexpr std::int32_t device_does_not_exist = static_cast<std::int32_t>(0xC00000C0);   // hardware absent on this machine
inline constexpr std::int32_t io_device_error = static_cast<std::int32_t>(0xC0000185);         // refused transfer (NAK)

}  // namespace mgx::testbed::nt
