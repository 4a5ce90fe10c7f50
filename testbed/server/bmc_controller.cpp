#include "bmc_controller.h"

#include <cstring>

#include "device_protocol.h"
#include "unit_answer.h"

namespace mgx::testbed {

namespace {

DeviceReply ipmi_message(const Bytes &input, std::uint32_t output_capacity, UnitPort &unit) {
    // time-out (4), responder address, command, network function << 2 | LUN, length, data
    if (input.size() < 8 || input.size() != 8u + input[7])
        return DeviceReply::failure(nt::invalid_parameter, "input is not time-out, header and the announced data");
    std::uint32_t timeout;
    std::memcpy(&timeout, input.data(), sizeof timeout);
    IpmiRequest request{static_cast<std::uint8_t>(input[6] >> 2), input[5], Bytes(input.begin() + 8, input.end())};
    return deliver_answer(DeviceKind::Bmc, request, output_capacity, unit,
                          "time-out " + std::to_string(timeout) + ", responder " + std::to_string(input[4]) + "; ");
}

DeviceReply map_memory(const Bytes &input, std::uint32_t output_capacity, const PhysicalMemory &memory) {
    MgxtbPhysicalMemoryRequest request;
    if (input.size() != sizeof request) return DeviceReply::failure(nt::invalid_parameter, "map request is not 24 bytes");
    std::memcpy(&request, input.data(), sizeof request);
    if (request.length == 0 || request.length > MGXTB_MAX_OUTPUT || request.length != output_capacity)
        return DeviceReply::failure(nt::invalid_parameter, "map length 0 or too large");
    auto bytes = memory.read(request.physical_address, request.length);
    if (!bytes) return DeviceReply::failure(nt::invalid_parameter, "range beyond 4 GiB");
    DeviceReply reply;
    reply.output = std::move(*bytes);
    reply.note = "mapped " + std::to_string(request.length) + " bytes at physical " + std::to_string(request.physical_address);
    return reply;
}

}  // namespace

DeviceReply handle_bmc_request(std::uint32_t code, const Bytes &input, std::uint32_t output_capacity, UnitPort &unit,
                               const PhysicalMemory &memory) {
    switch (code) {
    case MGXTB_IOCTL_BMC_IPMI: return ipmi_message(input, output_capacity, unit);
    case MGXTB_IOCTL_BMC_MAP_MEMORY: return map_memory(input, output_capacity, memory);
    case MGXTB_IOCTL_BMC_UNMAP_MEMORY:
        if (input.size() != 4) return DeviceReply::failure(nt::invalid_parameter, "unmap request is not 4 bytes");
        return DeviceReply{nt::success, {}, "unmapped", {}, {}};
    default: return DeviceReply::failure(nt::invalid_device_request, "unknown BMC request code");
    }
}

}  // namespace mgx::testbed
