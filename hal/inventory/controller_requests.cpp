#include "controller_requests.h"

#include <vector>

#include "transport.h"

namespace mgx::hal {

MgxRequest command_request(ControllerCommand command, std::initializer_list<std::uint8_t> data) {
    const std::vector<std::uint8_t> bytes(data);
    return make_request(command.network_function, command.command, bytes.data(), bytes.size());
}

std::int32_t send_with_attempts(const MgxRequest &request, MgxResponse &response, std::uint8_t target, int attempts) {
    std::int32_t status = 0;
    for (int attempt = 0; attempt < attempts; ++attempt)
        if ((status = SendControllerRequest(request, &response, target)) == 0) break;
    return status;
}

}  // namespace mgx::hal
