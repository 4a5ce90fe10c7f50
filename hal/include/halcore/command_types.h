// The command types of HCXMgxInterface and the records each one takes and gives. The dispatcher
// takes its size checks from here, and the typed call (mgx_call.h) its argument types, so a
// type code and its records cannot disagree.
#pragma once

#include <cstdint>
#include <type_traits>

#include <halcore/command_records.h>

namespace mgx::hal {

enum class CommandType : std::uint32_t {
    SensorReading = 1,
    FruAreaInfo = 2,
    ReadFru = 3,
    WriteFru = 4,
    FanControl = 5,
    FanStatus = 6,
    PanelControl = 7,
    PanelRead = 8,
    RunningHours = 9,
    SetRunningHours = 10,
    SetSystemConfigLastInfo = 11,
    MaintenanceInfo = 12,
    SetMaintenanceInfo = 13,
    MemoryMaintenance = 14,
    SetMemoryMaintenance = 15,
    SafeMode = 16,
    SetSafeMode = 17,
    BootMonitoring = 18,
    SetBootMonitoring = 19,
    SystemInformation = 20,
    SetSystemInformation = 21,
    ReadStoreArea = 22,
    WriteStoreArea = 23,
    RawRequest = 24,
    DeviceIdentity = 25,
};

#pragma pack(push, 1)
// Input of FruAreaInfo.
struct MgxFruAreaQuery {
    std::int32_t fru_device;
    std::int32_t source;  // 1: the unit's own FRU store; else a standard FRU device
};
#pragma pack(pop)
static_assert(sizeof(MgxFruAreaQuery) == 8, "MgxFruAreaQuery layout");

// The side of a command that carries no record.
struct NoRecord {};

// In and Out are each command's records. checks_out is false where the dispatcher hands the
// output pointer on without checking it (the command function still writes sizeof(Out) bytes).
template <CommandType type>
struct CommandRecords;

template <typename InRecord, typename OutRecord, bool out_checked = true>
struct Records {
    using In = InRecord;
    using Out = OutRecord;
    static constexpr bool has_in = !std::is_same_v<In, NoRecord>;
    static constexpr bool has_out = !std::is_same_v<Out, NoRecord>;
    static constexpr bool checks_out = has_out && out_checked;
};

// clang-format off
template <> struct CommandRecords<CommandType::SensorReading> : Records<std::uint8_t, std::uint8_t> {};
template <> struct CommandRecords<CommandType::FruAreaInfo> : Records<MgxFruAreaQuery, MgxFruAreaInfo> {};
template <> struct CommandRecords<CommandType::ReadFru> : Records<MgxFruRequest, MgxFruData> {};
template <> struct CommandRecords<CommandType::WriteFru> : Records<MgxFruData, std::uint8_t, false> {};
template <> struct CommandRecords<CommandType::FanControl> : Records<MgxFanControl, std::uint8_t> {};
template <> struct CommandRecords<CommandType::FanStatus> : Records<std::int32_t, std::int32_t> {};
template <> struct CommandRecords<CommandType::PanelControl> : Records<MgxPanelControl, NoRecord> {};
template <> struct CommandRecords<CommandType::PanelRead> : Records<NoRecord, MgxPanelState> {};
template <> struct CommandRecords<CommandType::RunningHours> : Records<NoRecord, std::uint32_t> {};
template <> struct CommandRecords<CommandType::SetRunningHours> : Records<std::int32_t, NoRecord> {};
template <> struct CommandRecords<CommandType::SetSystemConfigLastInfo> : Records<std::int32_t, NoRecord> {};
template <> struct CommandRecords<CommandType::MaintenanceInfo> : Records<NoRecord, MgxMaintenanceInfo> {};
template <> struct CommandRecords<CommandType::SetMaintenanceInfo> : Records<MgxMaintenanceInfo, MgxMaintenanceInfo, false> {};
template <> struct CommandRecords<CommandType::MemoryMaintenance> : Records<NoRecord, MgxMemoryMaintenance> {};
template <> struct CommandRecords<CommandType::SetMemoryMaintenance> : Records<MgxMemoryMaintenance, MgxMemoryMaintenance> {};
template <> struct CommandRecords<CommandType::SafeMode> : Records<NoRecord, std::int32_t> {};
template <> struct CommandRecords<CommandType::SetSafeMode> : Records<std::int32_t, NoRecord> {};
template <> struct CommandRecords<CommandType::BootMonitoring> : Records<NoRecord, BootMonitorSettings> {};
template <> struct CommandRecords<CommandType::SetBootMonitoring> : Records<BootMonitorSettings, NoRecord> {};
template <> struct CommandRecords<CommandType::SystemInformation> : Records<NoRecord, MgxSystemInformation> {};
template <> struct CommandRecords<CommandType::SetSystemInformation> : Records<MgxSystemInformation, NoRecord> {};
template <> struct CommandRecords<CommandType::ReadStoreArea> : Records<MgxStoreBlock, MgxStoreBlock> {};
template <> struct CommandRecords<CommandType::WriteStoreArea> : Records<MgxStoreBlock, std::uint16_t> {};
template <> struct CommandRecords<CommandType::RawRequest> : Records<MgxRequest, MgxResponse> {};
template <> struct CommandRecords<CommandType::DeviceIdentity> : Records<NoRecord, MgxDeviceIdentity> {};
// clang-format on

}  // namespace mgx::hal
