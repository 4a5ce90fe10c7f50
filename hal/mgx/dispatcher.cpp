// HCXMgxInterface: checks a command's records against its fixed sizes, calls its command
// function and repeats a failed command up to five times, 1000 ms apart.
#include <cstring>

#include <halcore/command_types.h>
#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "device_identity.h"
#include "platform.h"
#include "transport.h"

using namespace mgx::hal;

namespace {

constexpr int not_looked_at = -1;

struct Command {
    CommandType type;
    int in_length;   // required length of a non-NULL input, or not_looked_at
    int out_length;  // required length of a non-NULL output, or not_looked_at
    std::int32_t (*call)(void *in, void *out);
};

template <typename Record>
Record read(const void *in) {
    Record record;
    std::memcpy(&record, in, sizeof record);
    return record;
}

template <typename Record>
Record *as(void *out) {
    return static_cast<Record *>(out);
}

// One table line: the sizes come from the command's records.
template <CommandType type>
constexpr Command command(std::int32_t (*call)(void *in, void *out)) {
    using R = CommandRecords<type>;
    int in_length = not_looked_at, out_length = not_looked_at;
    if constexpr (R::has_in) in_length = static_cast<int>(sizeof(typename R::In));
    if constexpr (R::checks_out) out_length = static_cast<int>(sizeof(typename R::Out));
    return {type, in_length, out_length, call};
}

std::int32_t raw_request(void *in, void *out) {
    if (!out) return status::bad_argument;
    auto *response = as<MgxResponse>(out);
    if (std::int32_t result = SendMgxRequest(read<MgxRequest>(in), response)) return result;
    return response->completion_code;
}

using enum CommandType;

// One line per command type; types not listed answer 113 at once.
constexpr Command commands[] = {
    command<SensorReading>([](void *in, void *out) { return MGXGetSensorReading(read<std::uint8_t>(in), out); }),
    command<FruAreaInfo>([](void *in, void *out) {
        const auto query = read<MgxFruAreaQuery>(in);
        return MGXGetFruAreaInfo(query.fru_device, query.source, as<MgxFruAreaInfo>(out));
    }),
    command<ReadFru>([](void *in, void *out) { return MGXReadFru(read<MgxFruRequest>(in), as<MgxFruData>(out)); }),
    command<WriteFru>([](void *in, void *out) { return MGXWriteFru(read<MgxFruData>(in), as<std::uint8_t>(out)); }),
    command<FanControl>([](void *in, void *out) { return MGXFanRotControl(read<MgxFanControl>(in), as<std::uint8_t>(out)); }),
    command<FanStatus>([](void *in, void *out) { return MGXGetFanRotStatus(read<std::int32_t>(in), as<std::int32_t>(out)); }),
    command<PanelControl>([](void *in, void *) { return MGXLcdAndLedControl(read<MgxPanelControl>(in)); }),
    command<PanelRead>([](void *, void *out) { return MGXLcdAndLedRead(as<MgxPanelState>(out)); }),
    command<RunningHours>([](void *, void *out) { return MGXGetLifeTime(as<std::uint32_t>(out)); }),
    command<SetRunningHours>([](void *in, void *) { return MGXSetLifeTime(read<std::int32_t>(in)); }),
    command<SetSystemConfigLastInfo>([](void *in, void *) { return MGXSetSystemConfigLastInfo(read<std::int32_t>(in)); }),
    command<MaintenanceInfo>([](void *, void *out) { return MGXGetMntInfo(as<MgxMaintenanceInfo>(out)); }),
    command<SetMaintenanceInfo>(
        [](void *in, void *out) { return MGXSetMntInfo(read<MgxMaintenanceInfo>(in), as<MgxMaintenanceInfo>(out)); }),
    command<MemoryMaintenance>([](void *, void *out) { return MGXGetMemMainInfo(as<MgxMemoryMaintenance>(out)); }),
    command<SetMemoryMaintenance>(
        [](void *in, void *out) { return MGXSetMemMainInfo(read<MgxMemoryMaintenance>(in), as<MgxMemoryMaintenance>(out)); }),
    command<SafeMode>([](void *, void *out) { return MGXGetSafeMode(as<std::int32_t>(out)); }),
    command<SetSafeMode>([](void *in, void *) { return MGXSetSafeMode(read<std::int32_t>(in)); }),
    command<BootMonitoring>([](void *, void *out) { return MGXGetPostBootMonTime(as<BootMonitorSettings>(out)); }),
    command<SetBootMonitoring>([](void *in, void *) { return MGXSetPostBootMonTime(read<BootMonitorSettings>(in)); }),
    command<SystemInformation>([](void *, void *out) { return MGXGetSystemInformation(as<MgxSystemInformation>(out)); }),
    command<SetSystemInformation>([](void *in, void *) { return MGXSetSystemInformation(read<MgxSystemInformation>(in)); }),
    command<ReadStoreArea>(
        [](void *in, void *out) { return MGXReadTempForHcx(read<MgxStoreBlock>(in), as<MgxStoreBlock>(out)); }),
    command<WriteStoreArea>(
        [](void *in, void *out) { return MGXWriteTempForHcx(read<MgxStoreBlock>(in), as<std::uint16_t>(out)); }),
    command<RawRequest>(&raw_request),
    command<DeviceIdentity>([](void *, void *out) { return read_device_identity(as<MgxDeviceIdentity>(out)); }),
};

const Command *find(std::uint32_t type) {
    for (const Command &command : commands)
        if (static_cast<std::uint32_t>(command.type) == type) return &command;
    return nullptr;
}

bool arguments_fit(const Command &command, const void *in, std::int32_t in_length, const void *out, std::int32_t out_length) {
    if (command.in_length != not_looked_at && (!in || in_length != command.in_length)) return false;
    if (command.out_length != not_looked_at && (!out || out_length != command.out_length)) return false;
    return true;
}

}  // namespace

extern "C" std::int32_t HCXMgxInterface(void *in, std::int32_t in_length, void *out, std::int32_t out_length,
                                        std::uint32_t type) {
    const Command *command = find(type);
    if (!command) return status::bad_argument;
    std::int32_t result = status::ok;
    for (int attempt = 1; attempt <= 5; ++attempt) {
        if (!arguments_fit(*command, in, in_length, out, out_length)) return status::bad_argument;
        result = command->call(in, out);
        if (result == status::ok) return status::ok;
        if (attempt < 5) wait_ms(1000);
    }
    return result;
}
