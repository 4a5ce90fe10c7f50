#include "mgx_message.h"

#include <algorithm>
#include <cstring>

namespace mgx::hal {

MgxRequest make_request(std::uint8_t network_function, std::uint8_t command, const std::uint8_t *data, std::size_t length) {
    MgxRequest request{};
    request.network_function = network_function;
    request.command = command;
    length = std::min(length, max_request_data);
    request.length = static_cast<std::uint8_t>(length);
    if (data && length) std::memcpy(request.data, data, length);
    return request;
}

void fill_response(MgxResponse &response, std::uint8_t completion_code, const std::uint8_t *data, std::size_t length) {
    response.completion_code = completion_code;
    length = std::min(length, max_response_data);
    response.length = static_cast<std::uint8_t>(length);
    if (length) std::memcpy(response.data, data, length);
}

}  // namespace mgx::hal
