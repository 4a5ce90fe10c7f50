// FRU areas (the unit's own store or a standard FRU device), fan control and the sensor-reading
// entry that is not served.
#include <algorithm>
#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "transport.h"
#include "unit_command.h"

using namespace mgx::hal;

namespace {

// The standard IPMI FRU commands (network function storage).
constexpr std::uint8_t netfn_storage = 0x0A;
constexpr std::uint8_t fru_area_info = 0x10, read_fru_data = 0x11, write_fru_data = 0x12;
constexpr std::size_t max_fru_write = max_request_data - 3;  // 24

// The unit's own FRU store, or the standard IPMI FRU commands.
std::int32_t fru_command(std::int32_t source, UnitCommand unit_command_code, std::uint8_t storage_command,
                         const std::uint8_t *data, std::size_t length, MgxResponse &answer) {
    const bool own_store = source == 1;
    MgxRequest request = make_request(own_store ? unit_network_function : netfn_storage,
                                      own_store ? static_cast<std::uint8_t>(unit_command_code) : storage_command, data, length);
    if (std::int32_t result = SendMgxRequest(request, &answer)) return result;
    return answer.completion_code;
}

}  // namespace

extern "C" std::int32_t MGXGetSensorReading(std::uint8_t, void *) { return status::bad_argument; }

extern "C" std::int32_t MGXGetFruAreaInfo(std::int32_t fru_device, std::int32_t source, MgxFruAreaInfo *out) {
    if (!out) return status::bad_argument;
    const std::uint8_t data[1] = {static_cast<std::uint8_t>(fru_device)};
    MgxResponse answer;
    if (std::int32_t result = fru_command(source, UnitCommand::UnitFruAreaInfo, fru_area_info, data, sizeof data, answer))
        return result;
    if (answer.length < 3) return status::answer_too_short;
    out->area_size = static_cast<std::uint16_t>(answer.data[0] | answer.data[1] << 8);
    out->word_access = answer.data[2] & 1;
    return status::ok;
}

extern "C" std::int32_t MGXReadFru(MgxFruRequest in, MgxFruData *out) {
    if (!out) return status::bad_argument;
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(in.fru_device), static_cast<std::uint8_t>(in.offset),
                                  static_cast<std::uint8_t>(in.offset >> 8), in.count};
    MgxResponse answer;
    if (std::int32_t result = fru_command(in.source, UnitCommand::ReadUnitFru, read_fru_data, data, sizeof data, answer))
        return result;
    if (answer.length < 1) return status::answer_too_short;
    const std::size_t delivered = std::min<std::size_t>({answer.data[0], answer.length - 1u, sizeof out->data});
    out->source = in.source;
    out->fru_device = in.fru_device;
    out->offset = in.offset;
    out->count = answer.data[0];
    std::memcpy(out->data, answer.data + 1, delivered);
    return status::ok;
}

// More than 24 bytes do not fit one request: refused, nothing sent.
extern "C" std::int32_t MGXWriteFru(MgxFruData in, std::uint8_t *written) {
    if (!written || in.count > max_fru_write) return status::bad_argument;
    std::uint8_t data[3 + max_fru_write] = {static_cast<std::uint8_t>(in.fru_device), static_cast<std::uint8_t>(in.offset),
                                            static_cast<std::uint8_t>(in.offset >> 8)};
    std::memcpy(data + 3, in.data, in.count);
    MgxResponse answer;
    if (std::int32_t result = fru_command(in.source, UnitCommand::WriteUnitFru, write_fru_data, data, 3u + in.count, answer))
        return result;
    if (answer.length < 1) return status::answer_too_short;
    *written = answer.data[0];
    return status::ok;
}

extern "C" std::int32_t MGXFanRotControl(MgxFanControl in, std::uint8_t *out) {
    if (!out) return status::bad_argument;
    const std::uint8_t data[3] = {static_cast<std::uint8_t>(in.fan), static_cast<std::uint8_t>(in.control),
                                  static_cast<std::uint8_t>(in.control >> 8)};
    MgxResponse answer;
    std::int32_t result = SendMgxRequest(
        make_request(unit_network_function, static_cast<std::uint8_t>(UnitCommand::FanControl), data, sizeof data), &answer);
    if (result != 0) return result;
    *out = answer.completion_code;
    return answer.completion_code;
}

extern "C" std::int32_t MGXGetFanRotStatus(std::int32_t fan, std::int32_t *out) {
    if (!out) return status::bad_argument;
    const std::uint8_t data[1] = {static_cast<std::uint8_t>(fan)};
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::FanStatus, data, sizeof data, answer)) return result;
    if (answer.length < 1) return status::answer_too_short;
    *out = answer.data[0];
    return status::ok;
}
