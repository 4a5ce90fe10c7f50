// The BMC driver device: opened at process attach, closed at detach.
#pragma once

#include <windows.h>

#include <cstdint>

namespace mgx::bmc {

inline constexpr DWORD ioctl_ipmi = 0x80002004;
inline constexpr DWORD ioctl_map_memory = 0x80002038;
inline constexpr DWORD ioctl_unmap_memory = 0x80002040;

// INVALID_HANDLE_VALUE when opening failed.
HANDLE driver();
void open_driver();
void close_driver();

}  // namespace mgx::bmc
