// Running time, maintenance information and memory maintenance information.
#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "platform.h"
#include "unit_command.h"

using namespace mgx::hal;

namespace {

constexpr DWORD settle_ms = 500;

std::int32_t settled() {
    wait_ms(settle_ms);
    return status::ok;
}

std::uint8_t flag_byte(const MgxMaintenanceInfo &info) {
    return static_cast<std::uint8_t>((info.flag_a ? 0x80 : 0) | (info.flag_b ? 0x40 : 0) | (info.flag_c ? 0x20 : 0));
}

void unpack_values(const MgxResponse &answer, MgxMaintenanceInfo &info) {
    info.value32 = little_endian_32(answer.data + 1);
    info.value16 = static_cast<std::uint16_t>(answer.data[5] | answer.data[6] << 8);
    info.value8 = answer.data[7];
}

}  // namespace

extern "C" std::int32_t MGXGetLifeTime(std::uint32_t *hours) {
    if (!hours) return status::bad_argument;
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::RunningTime, nullptr, 0, answer)) return result;
    if (answer.length < 4) return status::answer_too_short;
    *hours = little_endian_32(answer.data);
    return status::ok;
}

extern "C" std::int32_t MGXSetLifeTime(std::int32_t hours) {
    std::uint8_t data[4];
    put_little_endian_32(data, static_cast<std::uint32_t>(hours));
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::SetRunningTime, data, sizeof data, answer)) return result;
    return settled();
}

extern "C" std::int32_t MGXSetSystemConfigLastInfo(std::int32_t value) {
    const std::uint8_t data[1] = {static_cast<std::uint8_t>(value)};
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::SetSystemConfigurationLast, data, sizeof data, answer)) return result;
    return settled();
}

extern "C" std::int32_t MGXGetMntInfo(MgxMaintenanceInfo *out) {
    if (!out) return status::bad_argument;
    std::memset(out, 0, sizeof *out);
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::MaintenanceInfo, nullptr, 0, answer)) return result;
    if (answer.length < 8) return status::answer_too_short;
    out->flag_a = (answer.data[0] & 0x80) ? 1 : 0;
    out->flag_b = (answer.data[0] & 0x40) ? 1 : 0;
    out->flag_c = (answer.data[0] & 0x20) ? 1 : 0;
    unpack_values(answer, *out);
    return status::ok;
}

extern "C" std::int32_t MGXSetMntInfo(MgxMaintenanceInfo in, MgxMaintenanceInfo *out) {
    if (!out || (in.selector != 0 && in.selector != 1)) return status::bad_argument;
    MgxResponse answer;
    for (std::uint8_t index = 0; index <= in.selector; ++index) {
        std::uint8_t data[9] = {index, flag_byte(in)};
        put_little_endian_32(data + 2, in.value32);
        data[6] = static_cast<std::uint8_t>(in.value16);
        data[7] = static_cast<std::uint8_t>(in.value16 >> 8);
        data[8] = in.value8;
        if (std::int32_t result = unit_command(UnitCommand::SetMaintenanceInfo, data, sizeof data, answer)) return result;
    }
    if (answer.length < 8) return status::answer_too_short;
    if (answer.data[0] & 0x80) out->flag_a = 1;
    if (answer.data[0] & 0x40) out->flag_b = 1;
    if (answer.data[0] & 0x20) out->flag_c = 1;
    unpack_values(answer, *out);
    return settled();
}

extern "C" std::int32_t MGXGetMemMainInfo(MgxMemoryMaintenance *out) {
    if (!out) return status::bad_argument;
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::MemoryMaintenance, nullptr, 0, answer)) return result;
    if (answer.length < 8) return status::answer_too_short;
    std::memcpy(out->memory_data, answer.data, 8);
    return status::ok;
}

extern "C" std::int32_t MGXSetMemMainInfo(MgxMemoryMaintenance in, MgxMemoryMaintenance *out) {
    if (!out || (in.selector != 0 && in.selector != 1)) return status::bad_argument;
    MgxResponse answer;
    for (std::uint8_t index = 0; index <= in.selector; ++index) {
        std::uint8_t data[9] = {index};
        std::memcpy(data + 1, in.memory_data, 8);
        if (std::int32_t result = unit_command(UnitCommand::SetMemoryMaintenance, data, sizeof data, answer)) return result;
    }
    if (answer.length < 8) return status::answer_too_short;
    std::memcpy(out->memory_data, answer.data, 8);
    return settled();
}
