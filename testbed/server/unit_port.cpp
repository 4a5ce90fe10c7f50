#include "unit_port.h"

namespace mgx::testbed {

FaultSite site_of(DeviceKind device, const IpmiRequest &request) {
    FaultSite site{device, request.network_function, request.command};
    if (device == DeviceKind::Smbus) site.address = request.target;
    return site;
}

std::optional<IpmiAnswer> UnitPort::exchange(DeviceKind device, const IpmiRequest &request, std::string &note) {
    const FaultSite site = site_of(device, request);
    if (state_.silent) {
        note += "unit silent; ";
        return std::nullopt;
    }
    if (faults_.take(FaultKind::Silence, site)) {
        note += "injected silence; ";
        return std::nullopt;
    }
    if (auto fault = faults_.take(FaultKind::Delay, site)) {
        note += "injected delay of " + std::to_string(fault->delay_ms) + " ms; ";
        delay_ms_ += fault->delay_ms;
    }
    IpmiAnswer answer;
    if (auto fault = faults_.take(FaultKind::CompletionCode, site)) {
        note += "injected completion code; ";
        answer.completion_code = fault->code;
    } else {
        UnitReply reply = answer_request(state_, profile_, now_ms_, request);
        state_changed_ = state_changed_ || reply.state_changed;
        answer = std::move(reply.answer);
    }
    if (faults_.take(FaultKind::ShortAnswer, site)) {
        note += "injected short answer; ";
        if (!answer.data.empty()) answer.data.pop_back();
    }
    return answer;
}

}  // namespace mgx::testbed
