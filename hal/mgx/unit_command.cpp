#include "unit_command.h"

#include "transport.h"

namespace mgx::hal {

std::int32_t unit_command(UnitCommand command, const std::uint8_t *data, std::size_t length, MgxResponse &response) {
    std::int32_t result =
        SendMgxRequest(make_request(unit_network_function, static_cast<std::uint8_t>(command), data, length), &response);
    if (result != 0) return result;
    return response.completion_code;
}

}  // namespace mgx::hal
