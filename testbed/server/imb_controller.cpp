#include "imb_controller.h"

#include <cstring>

#include "device_protocol.h"
#include "unit_answer.h"

namespace mgx::testbed {

DeviceReply handle_imb_request(std::uint32_t code, const Bytes &input, std::uint32_t output_capacity, UnitPort &unit) {
    if (code != MGXTB_IOCTL_IMB_SEND_MESSAGE) return DeviceReply::failure(nt::invalid_device_request, "unknown IMB request code");
    MgxtbImbMessage header;
    if (input.size() < sizeof header) return DeviceReply::failure(nt::invalid_parameter, "IMB message shorter than its header");
    std::memcpy(&header, input.data(), sizeof header);
    if (input.size() != sizeof header + header.data_length)
        return DeviceReply::failure(nt::invalid_parameter, "IMB message length does not match its data");
    IpmiRequest request{header.network_function, header.command, Bytes(input.begin() + sizeof header, input.end())};
    return deliver_answer(
        DeviceKind::Imb, request, output_capacity, unit,
        "time-out " + std::to_string(header.timeout_ms) + " ms, responder " + std::to_string(header.responder_address) + "; ");
}

}  // namespace mgx::testbed
