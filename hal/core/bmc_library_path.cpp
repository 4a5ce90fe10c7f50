// Requests over the bmc library's IPMI_Cmd: five attempts 500 ms apart; completion codes are
// not looked at here.
#include <algorithm>
#include <cstring>

#include <halcore/status_codes.h>

#include "platform.h"
#include "process_state.h"
#include "transport.h"

namespace mgx::hal {

std::int32_t send_over_bmc_library(const MgxRequest &request, MgxResponse &response) {
    IpmiCmdFunction ipmi_cmd = process_state().ipmi_cmd;
    if (!ipmi_cmd) return status::transport_failure;
    const std::size_t data_length = std::min<std::size_t>(request.length, max_request_data);
    std::uint8_t bytes[4 + max_request_data] = {unit_responder_address, request.command,
                                                static_cast<std::uint8_t>(request.network_function << 2),
                                                static_cast<std::uint8_t>(data_length)};
    std::memcpy(bytes + 4, request.data, data_length);

    std::uint8_t answer[256];
    std::uint32_t length = 0;
    bool answered = false;
    for (int attempt = 0; attempt < 5 && !answered; ++attempt) {
        length = sizeof answer;
        answered = ipmi_cmd(bytes, answer, &length, 5000000) == 0;
        if (!answered) wait_ms(500);
    }
    // An answer without even a completion code is no answer.
    if (!answered || length == 0) return status::transport_failure;
    length = std::min<std::uint32_t>(length, sizeof answer);
    fill_response(response, answer[0], answer + 1, length - 1);
    return status::ok;
}

}  // namespace mgx::hal
