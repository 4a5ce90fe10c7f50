// The common pattern of the management-unit commands: one network-function 0x3A request,
// transport status or completion code as the result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mgx_message.h"

namespace mgx::hal {

inline constexpr std::uint8_t unit_network_function = 0x3A;

// The management unit's commands, all of network function 0x3A.
enum class UnitCommand : std::uint8_t {
    FanControl = 0x20,
    FanStatus = 0x21,
    PanelControl = 0x22,
    PanelRead = 0x23,
    RunningTime = 0x30,
    SetRunningTime = 0x31,
    MaintenanceInfo = 0x32,
    SetMaintenanceInfo = 0x33,
    MemoryMaintenance = 0x34,
    SetMemoryMaintenance = 0x35,
    ReadStore = 0x38,
    WriteStore = 0x39,
    SafeMode = 0x41,
    SetSafeMode = 0x42,
    BootMonitoring = 0x43,
    SetBootMonitoring = 0x44,
    SetSystemConfigurationLast = 0x50,
    UnitFruAreaInfo = 0x51,
    ReadUnitFru = 0x52,
    WriteUnitFru = 0x53,
    SystemInformation = 0x54,
    SetSystemInformation = 0x55,
};

// 0 with the answer in `response`, the transport's status, or the unit's completion code.
std::int32_t unit_command(UnitCommand command, const std::uint8_t *data, std::size_t length, MgxResponse &response);

inline std::uint32_t little_endian_32(const std::uint8_t *bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void put_little_endian_32(std::uint8_t *bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace mgx::hal
