// HCXMgxInterface: checks a command's records against its fixed sizes, calls its command
// function and repeats a failed command up to five times, 1000 ms apart.
#include <cstring>

#include "device_identity.h"
#include "halcore.h"
#include "platform.h"
#include "status_codes.h"
#include "transport.h"

using namespace mgx::hal;

namespace {

constexpr int not_looked_at = -1;

struct Command {
    std::uint32_t type;
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

std::int32_t raw_request(void *in, void *out) {
    if (!out) return status::bad_argument;
    auto *response = static_cast<MgxResponse *>(out);
    if (std::int32_t result = SendMgxRequest(read<MgxRequest>(in), response)) return result;
    return response->completion_code;
}

template <typename Record>
Record *as(void *out) {
    return static_cast<Record *>(out);
}

// One line per command type; types not listed answer 113 at once.
constexpr Command commands[] = {
    {1, 1, 1, [](void *in, void *out) { return MGXGetSensorReading(read<std::uint8_t>(in), out); }},
    {2, 8, 6,
     [](void *in, void *out) {
         const auto *arguments = static_cast<const std::uint8_t *>(in);
         return MGXGetFruAreaInfo(read<std::int32_t>(arguments), read<std::int32_t>(arguments + 4), as<MgxFruAreaInfo>(out));
     }},
    {3, 11, 43, [](void *in, void *out) { return MGXReadFru(read<MgxFruRequest>(in), as<MgxFruData>(out)); }},
    {4, 43, not_looked_at, [](void *in, void *out) { return MGXWriteFru(read<MgxFruData>(in), as<std::uint8_t>(out)); }},
    {5, 9, 1, [](void *in, void *out) { return MGXFanRotControl(read<MgxFanControl>(in), as<std::uint8_t>(out)); }},
    {6, 4, 4, [](void *in, void *out) { return MGXGetFanRotStatus(read<std::int32_t>(in), as<std::int32_t>(out)); }},
    {7, 51, not_looked_at, [](void *in, void *) { return MGXLcdAndLedControl(read<MgxPanelControl>(in)); }},
    {8, not_looked_at, 64, [](void *, void *out) { return MGXLcdAndLedRead(as<MgxPanelState>(out)); }},
    {9, not_looked_at, 4, [](void *, void *out) { return MGXGetLifeTime(static_cast<std::uint32_t *>(out)); }},
    {10, 4, not_looked_at, [](void *in, void *) { return MGXSetLifeTime(read<std::int32_t>(in)); }},
    {11, 4, not_looked_at, [](void *in, void *) { return MGXSetSystemConfigLastInfo(read<std::int32_t>(in)); }},
    {12, not_looked_at, 23, [](void *, void *out) { return MGXGetMntInfo(static_cast<MgxMaintenanceInfo *>(out)); }},
    {13, 23, not_looked_at,
     [](void *in, void *out) { return MGXSetMntInfo(read<MgxMaintenanceInfo>(in), static_cast<MgxMaintenanceInfo *>(out)); }},
    {14, not_looked_at, 12, [](void *, void *out) { return MGXGetMemMainInfo(static_cast<MgxMemoryMaintenance *>(out)); }},
    {15, 12, 12,
     [](void *in, void *out) {
         return MGXSetMemMainInfo(read<MgxMemoryMaintenance>(in), static_cast<MgxMemoryMaintenance *>(out));
     }},
    {16, not_looked_at, 4, [](void *, void *out) { return MGXGetSafeMode(as<std::int32_t>(out)); }},
    {17, 4, not_looked_at, [](void *in, void *) { return MGXSetSafeMode(read<std::int32_t>(in)); }},
    {18, not_looked_at, 12, [](void *, void *out) { return MGXGetPostBootMonTime(as<BootMonitorSettings>(out)); }},
    {19, 12, not_looked_at, [](void *in, void *) { return MGXSetPostBootMonTime(read<BootMonitorSettings>(in)); }},
    {20, not_looked_at, 534, [](void *, void *out) { return MGXGetSystemInformation(as<MgxSystemInformation>(out)); }},
    {21, 534, not_looked_at, [](void *in, void *) { return MGXSetSystemInformation(read<MgxSystemInformation>(in)); }},
    {22, 510, 510, [](void *in, void *out) { return MGXReadTempForHcx(read<MgxStoreBlock>(in), as<MgxStoreBlock>(out)); }},
    {23, 510, 2, [](void *in, void *out) { return MGXWriteTempForHcx(read<MgxStoreBlock>(in), as<std::uint16_t>(out)); }},
    {24, static_cast<int>(sizeof(MgxRequest)), static_cast<int>(sizeof(MgxResponse)), &raw_request},
    {25, not_looked_at, static_cast<int>(sizeof(MgxDeviceIdentity)),
     [](void *, void *out) { return read_device_identity(static_cast<MgxDeviceIdentity *>(out)); }},
};

const Command *find(std::uint32_t type) {
    for (const Command &command : commands)
        if (command.type == type) return &command;
    return nullptr;
}

bool arguments_fit(const Command &command, const void *in, std::int32_t in_length, const void *out,
                   std::int32_t out_length) {
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
