#include "unit_answer.h"

namespace mgx::testbed {

DeviceReply deliver_answer(DeviceKind device, const IpmiRequest &request, std::uint32_t output_capacity, UnitPort &unit,
                           std::string note) {
    DeviceReply reply;
    reply.request = request;
    reply.note = std::move(note);
    if (unit.faults().take(FaultKind::FailWrite, site_of(device, request))) {
        reply.status = nt::io_device_error;
        reply.note += "injected request failure";
        return reply;
    }
    auto answer = unit.exchange(device, request, reply.note);
    if (!answer) {
        reply.status = nt::io_timeout;
        return reply;
    }
    reply.answer = answer;
    if (answer->data.size() + 1 > output_capacity) {
        reply.status = nt::buffer_too_small;
        reply.note += "answer larger than the output buffer";
        return reply;
    }
    reply.output.push_back(answer->completion_code);
    reply.output.insert(reply.output.end(), answer->data.begin(), answer->data.end());
    return reply;
}

}  // namespace mgx::testbed
