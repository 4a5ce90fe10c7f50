// Requests over the IMB request library: five attempts 500 ms apart.
#include <algorithm>

#include <halcore/status_codes.h>

#include "platform.h"
#include "process_state.h"
#include "transport.h"

namespace mgx::hal {

std::int32_t send_over_imb_api(const MgxRequest &request, MgxResponse &response) {
    SendTimedImbpRequestFunction send = process_state().send_timed_imbp_request;
    if (!send) return status::transport_failure;
    // The request record in the order of its fields.
    // clang-format off
    const ImbRequest record{request.command, unit_responder_address, 0, request.network_function, 0, request.data,
                            std::min<std::int32_t>(request.length, max_request_data)};
    // clang-format on
    std::uint8_t answer[32];
    int length = sizeof answer;  // not reset between attempts
    std::uint8_t code = 0xFF;
    int result = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        result = send(&record, 300, answer, &length, &code);
        if (result == 0 && code == 0) break;
        wait_ms(500);
    }
    if (result != 0) return result;
    if (code != 0) return code;
    fill_response(response, 0, answer, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof answer))));
    return status::ok;
}

}  // namespace mgx::hal
